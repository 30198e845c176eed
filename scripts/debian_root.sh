# shellcheck shell=bash
# A fresh Debian 13 root on this machine, for the scripts that need Debian
# 13's own packages (the Wine 10 check, the release's Debian 13 package).
# Sourced, not run; needs root (debootstrap, mounts, chroot) and Debian's
# package archive. The minimal root is made once with debootstrap and kept in
# the cache as a tarball; each use unpacks a new copy, so nothing one use
# installs is seen by the next.
#
#   debianReachable <what needs it>   fails, naming the archive, when it cannot be reached
#   debianFreshRoot <name>            unpacks a new root into debian_root, /proc and /dev mounted
#   debianBind <host dir> <dir in root>
#   inRoot [NAME=value...] <command...>   runs in the root with a clean environment
#   debianCleanup                     unmounts and removes the root

debian_cache=${QUANVIK_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quanvik}
debian_mirror=${QUANVIK_DEBIAN_MIRROR:-http://deb.debian.org/debian}
debian_root=
debian_mounted=()

debianReachable() {
    wget -q --spider --tries=2 --timeout=20 "$debian_mirror/dists/trixie/InRelease" && return 0
    echo "Debian's package archive cannot be reached at $debian_mirror (set QUANVIK_DEBIAN_MIRROR for" \
        "another mirror); $1 needs it" >&2
    return 1
}

debianFreshRoot() {
    local tarball=$debian_cache/debian13-minbase.tar
    mkdir -p "$debian_cache"
    if [ ! -f "$tarball" ]; then
        echo "== Making a minimal Debian 13 root (once; kept as $tarball)"
        local made
        made=$(mktemp -d)
        if ! debootstrap --variant=minbase trixie "$made" "$debian_mirror" >"$debian_cache/debootstrap.log" 2>&1; then
            tail -n 20 "$debian_cache/debootstrap.log" >&2
            rm -rf "$made"
            echo "debootstrap could not make a Debian 13 root from $debian_mirror" \
                "(log: $debian_cache/debootstrap.log)" >&2
            return 1
        fi
        tar -C "$made" -cf "$tarball.part" . && mv "$tarball.part" "$tarball"
        rm -rf "$made"
    fi
    debian_root=$(mktemp -d "/tmp/quanvik-$1.XXXXXX")
    # In memory: removing a root with a compiler and Qt installed from a busy
    # disk takes minutes.
    mount -t tmpfs tmpfs "$debian_root" && debian_mounted+=("$debian_root")
    tar -C "$debian_root" -xf "$tarball"
    # The tarball keeps the mode of debootstrap's temporary folder; apt's _apt user must reach /.
    chmod 755 "$debian_root"
    cp /etc/resolv.conf "$debian_root/etc/resolv.conf"
    mount -t proc proc "$debian_root/proc" && debian_mounted+=("$debian_root/proc")
    debianBind /dev /dev
}

debianBind() {
    mkdir -p "$debian_root$2"
    mount --rbind "$1" "$debian_root$2"
    debian_mounted+=("$debian_root$2")
}

inRoot() {
    chroot "$debian_root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}

debianCleanup() {
    [ -n "$debian_root" ] || return 0
    local i
    for ((i = ${#debian_mounted[@]} - 1; i >= 0; i--)); do umount -l "${debian_mounted[$i]}" 2>/dev/null || true; done
    debian_mounted=()
    # A mount still in place would take the host's files down with the root.
    if grep -qE " $debian_root(/| )" /proc/mounts; then
        echo "left $debian_root in place: something is still mounted in it" >&2
    else
        rm -rf "$debian_root"
    fi
    debian_root=
}
