# shellcheck shell=bash disable=SC2154 # cache and debian_mirror come from common.sh
# A fresh Debian 13 root on this machine, for the scripts that need Debian
# 13's own packages (the Wine 10 check, the release's Debian 13 package).
# Sourced after common.sh, not run; needs root (debootstrap, mounts, chroot)
# and Debian's package archive. The minimal root is made once with debootstrap
# and kept in the cache as a tarball; each use unpacks a new copy, so nothing
# one use installs is seen by the next. A root with packages installed is kept
# too, named by their list, and made again after a week.
#
#   debianReachable <what needs it>   fails, naming the archive, when it cannot be reached
#   debianFreshRoot <name> [package...]   a new root in debian_root, /proc and /dev mounted
#   debianBind <host dir> <dir in root>
#   inRoot [NAME=value...] <command...>   runs in the root with a clean environment
#   debianCleanup                     unmounts and removes the root
#
# Nothing mounted reaches the host: the root is a private mount, and every
# bind into it a slave, so unmounting it cannot unmount the host's /dev/pts on
# a host whose mounts are shared (systemd's default).

debian_root=
debian_mounted=()

debianReachable() {
    wget -q --spider --tries=2 --timeout=20 "$debian_mirror/dists/trixie/InRelease" && return 0
    echo "Debian's package archive cannot be reached at $debian_mirror (set QUANVIK_DEBIAN_MIRROR for" \
        "another mirror); $1 needs it" >&2
    return 1
}

# Makes a tarball of a root, once: by debootstrap, or from the minimal root
# with packages installed.
debianMakeTarball() { # <tarball> [package...]
    local tarball=$1 log=$cache/debootstrap.log made
    shift
    if [ $# -eq 0 ]; then
        say "Making a minimal Debian 13 root (once; kept as $tarball)"
        made=$(mktemp -d)
        debootstrap --variant=minbase trixie "$made" "$debian_mirror" >"$log" 2>&1 ||
            { rm -rf "$made"; fail "debootstrap could not make a Debian 13 root from $debian_mirror" "$log"; }
        tar -C "$made" -cf "$tarball.part" . || fail "could not pack the Debian 13 root into $tarball.part"
        rm -rf "$made"
    else
        log=$cache/${tarball##*/}.log
        say "Installing $* into a Debian 13 root (kept as $tarball for a week)"
        debianFreshRoot "${tarball##*/}"
        logged "Installing $* into the Debian 13 root" "$log" inRoot DEBIAN_FRONTEND=noninteractive \
            bash -c 'apt-get update && apt-get install -y --no-install-recommends "$@" && apt-get clean' - "$@"
        tar -C "$debian_root" --one-file-system -cf "$tarball.part" . || fail "could not pack the root into $tarball.part"
        debianCleanup
    fi
    mv "$tarball.part" "$tarball"
}

debianFreshRoot() { # <name> [package...]
    local name=$1 tarball=$cache/debian13-minbase.tar key old
    shift
    mkdir -p "$cache"
    if [ $# -gt 0 ]; then
        key=$(printf '%s\n' "$@" | sort | sha256sum | cut -c1-12)
        tarball=$cache/debian13-$name-$key.tar
        # Another list's root, or this one's from over a week ago, is made again.
        for old in "$cache/debian13-$name"-*.tar; do
            { [ "$old" = "$tarball" ] && [ -n "$(find "$old" -mtime -7)" ]; } || rm -f "$old"
        done
    fi
    [ -f "$tarball" ] || debianMakeTarball "$tarball" "$@"
    debianEmptyRoot "$name"
    tar -C "$debian_root" -xf "$tarball" || fail "could not unpack $tarball into $debian_root"
    # The tarball keeps the mode of debootstrap's temporary folder; apt's _apt user must reach /.
    chmod 755 "$debian_root"
    cp /etc/resolv.conf "$debian_root/etc/resolv.conf"
    mkdir -p "$debian_root/proc"
    debianMount "/proc in $debian_root" -t proc proc "$debian_root/proc"
    debianBind /dev /dev
}

# In memory: removing a root with a compiler and Qt installed from a busy disk
# takes minutes. Private: nothing mounted in it appears anywhere else.
debianEmptyRoot() { # <name>
    debian_root=$(mktemp -d "/tmp/quanvik-$1.XXXXXX")
    debianMount "a tmpfs on $debian_root" -t tmpfs tmpfs "$debian_root"
    mount --make-private "$debian_root" || fail "could not make $debian_root a private mount"
}

# Mounts and notes the mount for debianCleanup, or stops saying which failed.
debianMount() { # <what> <mount arguments...>
    mount "${@:2}" || fail "could not mount $1"
    debian_mounted+=("${*: -1}")
}

debianBind() {
    mkdir -p "$debian_root$2" || fail "could not make $debian_root$2 to bind $1 on"
    debianMount "$1 on $debian_root$2" --rbind "$1" "$debian_root$2"
    mount --make-rslave "$debian_root$2" || fail "could not make the bind of $1 on $debian_root$2 a slave"
}

inRoot() {
    chroot "$debian_root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}

debianCleanup() {
    [ -n "$debian_root" ] || return 0
    local i
    for ((i = ${#debian_mounted[@]} - 1; i >= 0; i--)); do
        umount -l "${debian_mounted[$i]}" || echo "could not unmount ${debian_mounted[$i]}" >&2
    done
    debian_mounted=()
    # A mount still in place would take the host's files down with the root.
    if grep -qE " $debian_root(/| )" /proc/mounts; then
        echo "left $debian_root in place: something is still mounted in it" >&2
    else
        rm -rf "$debian_root"
    fi
    debian_root=
}
