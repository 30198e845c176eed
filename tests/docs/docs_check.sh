#!/usr/bin/env bash
# Checks of the documents the packages carry, run by CTest.
#   docs_check.sh licence <source dir> <generated quanvik.rc>
#   docs_check.sh page <guide.html>
# Prints "SKIPPED:" and exits 0 when a tool it needs is missing.
set -euo pipefail

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
skipUnless() {
    command -v "$1" >/dev/null || { echo "SKIPPED: $1 is not installed"; exit 0; }
}

case $1 in
licence)
    src=$2 rc=$3
    # LICENSE names the holder; every other notice names it the same way.
    holder=$(sed -n 's/^Copyright (c) //p' "$src/LICENSE")
    echo "copyright holder: $holder"
    [ -n "$holder" ] || fail "LICENSE names no copyright holder"
    copyright=$src/app/linux/copyright
    if grep '^Copyright:' "$copyright" | grep -vxF "Copyright: $holder"; then fail "$copyright"; fi
    grep -qF "\"CompanyName\", \"${holder#* }\"" "$rc" || fail "CompanyName in $rc"
    grep -qF "\"LegalCopyright\", \"© $holder，MIT 许可证\"" "$rc" || fail "LegalCopyright in $rc"
    for notice in README.md README.zh-CN.md cmake/windows/licenses.txt; do
        grep -qF "$holder" "$src/$notice" || fail "$notice does not name $holder"
    done
    # The licence text word for word, as the Debian copyright file folds it.
    # shellcheck disable=SC2020 # spaces and newlines each become one newline
    words() { tr -s ' \n' '\n\n' | grep -vx '\.'; }
    diff <(sed '1,/^Copyright/d' "$src/LICENSE" | words) \
        <(tac "$copyright" | sed '/^License: MIT$/q' | tac | sed 1d | words) ||
        fail "the MIT text of $copyright differs from LICENSE"
    ;;
page)
    skipUnless tidy
    # Valid HTML that needs no other file and no network.
    out=$(tidy -errors -quiet "$2" 2>&1) || { echo "$out"; fail "tidy: $2"; }
    { grep -q '<html lang="zh-CN">' "$2" && grep -q '<meta charset="utf-8">' "$2"; } || fail "language or charset"
    if grep -oE '(src|href)="[^"]{0,40}' "$2" | grep -vE '="(data:|mailto:|#)'; then fail "refers to other files"; fi
    ;;
*)
    fail "unknown mode $1"
    ;;
esac
# The closing line CTest waits for: only a run that got here passed.
echo "docs_check.sh $1: passed"
