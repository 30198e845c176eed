# shellcheck shell=bash disable=SC2034 # the variables are for the scripts that source this
# What the scripts share, sourced by them: the cache, the messages, the Wine
# environment and Debian's archive.
#
#   QUANVIK_CACHE            default ${XDG_CACHE_HOME:-$HOME/.cache}/quanvik
#   QUANVIK_DEBIAN_MIRROR, QUANVIK_DEBIAN_SECURITY   Debian's archive

cache=${QUANVIK_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quanvik}
debian_mirror=${QUANVIK_DEBIAN_MIRROR:-http://deb.debian.org/debian}
debian_security=${QUANVIK_DEBIAN_SECURITY:-http://deb.debian.org/debian-security}

say() { printf '== %s\n' "$*"; }

# Shows the end of the log, if one is named, says what failed, and stops.
fail() { # <what failed> [log]
    [ -z "${2:-}" ] || tail -n 30 "$2" >&2
    printf '%s: %s%s\n' "${0##*/}" "$1" "${2:+ (log: $2)}" >&2
    exit 1
}

# Runs a command with its output added to a log; if it fails, says so with the log's end.
logged() { # <what> <log> <command...>
    "${@:3}" >>"$2" 2>&1 || fail "$1 failed" "$2"
}

# Retries a command every fifth of a second until it succeeds, for at most the
# seconds given; then says what it waited for.
waitFor() { # <seconds> <what> <command...>
    local until=$((SECONDS + $1))
    until "${@:3}"; do
        [ "$SECONDS" -lt "$until" ] || { echo "${0##*/}: waited $1 s for $2 in vain" >&2; return 1; }
        sleep 0.2
    done
}

# A Wine prefix of the project's: no Mono or Gecko (their installers would ask
# on screen), no HID or USB bus drivers, no Wine debug output. Wine 8 starts the
# bus drivers in a second driver host, which on a busy machine can lose the race
# for the PnP manager's name and then crashes on their devices (a null driver
# in IoCreateDevice), leaving its debugger's key in user.reg. Nothing needs them.
wineEnv() { # <prefix>
    export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winebus.sys,wineusb.sys=d'
}
