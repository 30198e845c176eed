#!/usr/bin/env bash
# A Debian root's binds and their clean-up, by scripts/debian_root.sh's own
# functions, in a mount namespace whose mounts are shared as on a systemd
# host: afterwards /dev/pts, /dev/shm and a bound folder's own mount must all
# still be mounted, and a mount that fails must stop with a message naming it.
#   debian_root_test.sh <source>
# Prints "SKIPPED:" and exits 0 when not run as root.
set -euo pipefail
source=$1

if [ "${2:-}" != inside ]; then
    [ "$(id -u)" -eq 0 ] || { echo "SKIPPED: binds and mount namespaces need root"; exit 0; }
    command -v unshare >/dev/null || { echo "SKIPPED: unshare is not installed"; exit 0; }
    # The namespace is the test's own: whatever the functions do stays in it.
    exec unshare --mount --propagation private "$0" "$source" inside
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
exit "$failed"
