#!/usr/bin/env bash
# What the scripts run as root do to the machine.
#   scripts_test.sh binds <source>: a Debian root's binds and their clean-up,
#     by scripts/debian_root.sh's own functions, in a mount namespace whose
#     mounts are shared as on a systemd host: afterwards /dev/pts, /dev/shm and
#     a bound folder's own mount must all still be mounted, and a mount that
#     fails must stop with a message naming it. Needs root.
#   scripts_test.sh prefix <source>: windows-toolchain wine DIR refuses a
#     folder that is neither empty nor its own, and leaves it as it was.
# Prints "SKIPPED:" and exits 0 when it cannot run here.
set -euo pipefail
mode=$1 source=$2

if [ "$mode" = prefix ]; then
    folder=$(mktemp -d)
    trap 'rm -rf "$folder"' EXIT
    # case | what the folder holds
    cases=("someone's prefix|user.reg" "a hidden file only|.update-timestamp")
    for row in "${cases[@]}"; do
        IFS='|' read -r name file <<<"$row"
        rm -rf "${folder:?}"/* "$folder"/.[!.]* && echo "theirs" >"$folder/$file"
        before=$(find "$folder" -printf '%p %s %T@\n')
        status=0
        said=$("$source/scripts/windows-toolchain" wine "$folder" 2>&1) || status=$?
        echo "-- $name (status $status): $said"
        [ "$status" -ne 0 ] || { echo "FAIL: $name was taken for a prefix"; exit 1; }
        grep -qF "$folder is not empty and not a Wine prefix made by this script" <<<"$said" ||
            { echo "FAIL: the refusal of $name does not say why"; exit 1; }
        [ "$(find "$folder" -printf '%p %s %T@\n')" = "$before" ] || { echo "FAIL: $name was changed"; exit 1; }
    done
    echo "scripts_test.sh prefix: passed"
    exit 0
fi

if [ "${3:-}" != inside ]; then
    [ "$(id -u)" -eq 0 ] || { echo "SKIPPED: binds and mount namespaces need root"; exit 0; }
    command -v unshare >/dev/null || { echo "SKIPPED: unshare is not installed"; exit 0; }
    # In a chroot / is no mount point: its propagation cannot be set.
    mountpoint -q / || { echo "SKIPPED: / is not a mount point here (a chroot?)"; exit 0; }
    # The namespace is the test's own: whatever the functions do stays in it.
    exec unshare --mount --propagation private "$0" binds "$source" inside
fi

# shellcheck source=scripts/common.sh
. "$source/scripts/common.sh"
# shellcheck source=scripts/debian_root.sh
. "$source/scripts/debian_root.sh"

mounts() { awk -v at="$1" '$5 == at' /proc/self/mountinfo | wc -l; }
mount --make-rshared /
# A folder with a mount inside it, as a cache on a disk of its own.
folder=$(mktemp -d)
trap 'umount -R "$folder"; rmdir "$folder"' EXIT
mount -t tmpfs folder "$folder" && mkdir "$folder/inner" && mount -t tmpfs inner "$folder/inner"
points=(/dev/pts /dev/shm "$folder" "$folder/inner")
before=()
for point in "${points[@]}"; do
    # Some machines have no /dev/shm: the namespace gets one of its own.
    [ "$(mounts "$point")" -gt 0 ] || mount -t tmpfs shm "$point"
    before+=("$(mounts "$point")")
done

debianEmptyRoot test
made=$debian_root
debianBind /dev /dev
debianBind "$folder" /folder
status=0
said=$( (debianBind /no/such/folder /missing) 2>&1) || status=$?
debianCleanup

failed=0
check() { # <what> <condition...>
    if "${@:2}"; then echo "ok: $1"; else echo "FAIL: $1"; failed=1; fi
}
for i in "${!points[@]}"; do
    after=$(mounts "${points[$i]}")
    check "${points[$i]}: mounted ${before[$i]} time(s) before the root, $after after its clean-up" \
        [ "$after" = "${before[$i]}" ]
done
check "a bind of a missing folder stops (status $status)" [ "$status" -ne 0 ]
check "and says which mount failed: $said" grep -qF "could not mount /no/such/folder on $made/missing" <<<"$said"
check "the root's folder is removed" [ ! -e "$made" ]
# The closing line CTest waits for.
[ "$failed" -ne 0 ] || echo "scripts_test.sh binds: passed"
exit "$failed"
