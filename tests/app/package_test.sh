#!/usr/bin/env bash
# Checks of the packages, run by CTest from the build tree.
#   package_test.sh build <cpack> <CPackConfig.cmake> <dir> <generators>
#   package_test.sh contents|depends|starts|window|lintian <dir> <app id> <version> <Debian version>
#   package_test.sh reproducible <dir> <generators> <source> <build> <cmake> <cpack> <cache settings...>
#   package_test.sh signed <dir> <cpack> <CPackConfig.cmake>   (Windows)
#   package_test.sh versions <cmake> <source> <version>   (each Debian release's build)
#   package_test.sh release <source>   (scripts/release refusing or stopping)
# Prints "SKIPPED:" and exits 0 when a tool it needs is missing.
set -euo pipefail

mode=$1
shift

skipUnless() {
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "SKIPPED: $tool is not installed"
            exit 0
        fi
    done
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

theDeb() {
    local debs=("$1"/quanvik_*.deb)
    if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
        fail "expected one quanvik_*.deb in $1"
    fi
    echo "${debs[0]}"
}

# Extracts the package into a fresh folder removed when the script ends.
extract() {
    root=$(mktemp -d)
    trap 'rm -rf "$root"' EXIT
    dpkg-deb -x "$1" "$root"
}

case $mode in
build)
    cpack=$1 config=$2 dir=$3 generators=$4
    rm -rf "$dir"
    "$cpack" -G "$generators" --config "$config" -B "$dir"
    # The installer test makes a later release from the NSIS project left here.
    [[ $generators == *NSIS* ]] || rm -rf "$dir/_CPack_Packages"
    ls -l "$dir"
    ;;

contents)
    skipUnless dpkg-deb readelf
    dir=$1 appId=$2 version=$3 debianVersion=$4
    deb=$(theDeb "$dir")
    [ "$(basename "$deb")" = "quanvik_${debianVersion}_$(dpkg-deb -f "$deb" Architecture).deb" ] ||
        fail "file name $(basename "$deb")"
    # The upstream version, alone or with the Debian release it is built for.
    [[ $debianVersion =~ ^${version//./\\.}(\+deb[0-9]+)?$ ]] || fail "Debian version $debianVersion"
    listing=$(dpkg-deb -c "$deb" | awk '{print $NF}')
    echo "$listing"
    expected=(
        ./usr/bin/quanvik
        "./usr/share/applications/$appId.desktop"
        "./usr/share/metainfo/$appId.metainfo.xml"
        ./usr/share/doc/quanvik/copyright
        ./usr/share/doc/quanvik/changelog.gz
        ./usr/share/doc/quanvik/README.zh-CN.html
        ./usr/share/man/man1/quanvik.1.gz
        ./usr/share/man/zh_CN/man1/quanvik.1.gz
    )
    for size in 16 24 32 48 64 128 256; do
        expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/$appId.png")
    done
    for path in "${expected[@]}"; do
        grep -qxF "$path" <<<"$listing" || fail "missing $path"
    done
    # Nothing from the build machine may leak in: only /usr, and no headers or
    # static libraries of our own libraries.
    if grep -v -e '^\./$' -e '^\./usr/' <<<"$listing"; then fail "files outside /usr"; fi
    if grep -E '\.(h|a)$' <<<"$listing"; then fail "development files packaged"; fi

    fields=$(dpkg-deb -f "$deb" Package Version Section Maintainer Depends Description)
    echo "$fields"
    [ "$(dpkg-deb -f "$deb" Package)" = quanvik ] || fail "Package"
    [ "$(dpkg-deb -f "$deb" Version)" = "$debianVersion" ] || fail "Version"
    for field in Section Maintainer Description; do
        [ -n "$(dpkg-deb -f "$deb" $field)" ] || fail "empty $field"
    done
    depends=$(dpkg-deb -f "$deb" Depends)
    names=$(tr ',' '\n' <<<"$depends" | awk '{print $1}' | sort)
    dependsOn() { grep -qxF "$1" <<<"$names"; }
    for dep in qt6-qpa-plugins fonts-wqy-microhei; do
        dependsOn $dep || fail "Depends lacks $dep"
    done
    # Each package once: a hand-written list beside dpkg-shlibdeps' output
    # would name the Qt libraries twice, with different versions.
    [ -z "$(uniq -d <<<"$names")" ] || fail "Depends names a package twice: $(uniq -d <<<"$names")"
    # The program runs without Qt's translations; they are only welcome.
    grep -qF qt6-translations-l10n <<<"$depends" && fail "qt6-translations-l10n is a hard dependency"
    [ "$(dpkg-deb -f "$deb" Recommends)" = qt6-translations-l10n ] || fail "Recommends"

    extract "$deb"
    [ -x "$root/usr/bin/quanvik" ] || fail "quanvik is not executable"
    if command -v file >/dev/null && file "$root/usr/bin/quanvik" | grep -q 'not stripped'; then
        fail "quanvik is not stripped"
    fi
    program=$root/usr/bin/quanvik
    dynamic=$(readelf -dW "$program") headers=$(readelf -hlSW "$program") symbols=$(readelf -W --dyn-syms "$program")
    if grep -qE 'R(UN)?PATH' <<<"$dynamic"; then fail "quanvik carries a run path"; fi
    # Each library the program links, by the package that holds it here,
    # whatever the release calls it (Debian 13's Qt Core is libqt6core6t64).
    if command -v dpkg-architecture >/dev/null; then
        multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
        # shellcheck disable=SC2013 # a library's name holds no space
        for library in $(sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p' <<<"$dynamic"); do
            owner=$(dpkg-query -S "*/$multiarch/$library" | sed -n '1s/[:,].*//p') ||
                fail "no installed package holds $library"
            echo "$library: $owner"
            dependsOn "$owner" || fail "Depends lacks $owner, which holds $library"
        done
    fi
    if grep -qE ' \.comment ' <<<"$headers"; then fail "quanvik keeps its .comment section"; fi
    # The release preset's hardening; a build with flags of its own brings its own.
    if [ "${QUANVIK_HARDENED:-OFF}" = ON ]; then
        grep -qE 'FLAGS.*BIND_NOW' <<<"$dynamic" || fail "quanvik is not linked with -z now"
        grep -q GNU_RELRO <<<"$headers" || fail "quanvik has no RELRO segment"
        grep -q 'DYN (Position-Independent' <<<"$headers" || fail "quanvik is not a position-independent executable"
        grep -q __stack_chk_fail <<<"$symbols" || fail "quanvik is not built with the stack protector"
    fi
    for doc in usr/share/doc/quanvik/changelog.gz usr/share/man/{,zh_CN/}man1/quanvik.1.gz; do
        # gzip -n: no name and no date in the header (bytes 4 to 7 are the date).
        [ "$(od -An -tx1 -j4 -N4 "$root/$doc" | tr -d ' ')" = 00000000 ] || fail "$doc carries a date"
    done
    gzip -dc "$root/usr/share/doc/quanvik/changelog.gz" | head -1 | grep -qF "quanvik ($debianVersion)" ||
        fail "the changelog's first entry is not $debianVersion"
    grep -qF "<release version=\"$version\"" "$root/usr/share/metainfo/$appId.metainfo.xml" ||
        fail "the metainfo has no release $version"
    grep -qxF "Icon=$appId" "$root/usr/share/applications/$appId.desktop" ||
        fail "the desktop entry names another icon"
    # Both manual pages send the reader to a file the package holds.
    for page in usr/share/man/{,zh_CN/}man1/quanvik.1.gz; do
        for named in $(gzip -dc "$root/$page" | grep -o '/usr/share/doc/[^ ]*[a-z]' | sort -u); do
            [ -f "$root$named" ] || fail "$page names $named, which the package lacks"
        done
    done
    ;;

lintian)
    skipUnless lintian
    deb=$(theDeb "$1")
    # Errors and warnings fail; information and pedantic tags are shown.
    out=$(lintian -I --pedantic --tag-display-limit 0 "$deb" 2>&1 | grep -v 'running with root privileges') || true
    echo "$out"
    if grep -qE '^[EW]: ' <<<"$out"; then fail "lintian reports errors or warnings"; fi
    ;;

reproducible)
    skipUnless sha256sum realpath
    dir=$1 generators=$2 source=$3 binary=$4 cmake=$5 cpack=$6
    shift 6
    # The same sources under another folder, every file newer, built alone
    # with the same settings: each package must come out byte for byte the
    # same. The build folder keeps its place beside the sources, as a
    # packager's would; only the folder that holds both changes.
    work=$(mktemp -d /tmp/quanvik-reproducible.XXXXXX)
    trap 'rm -rf "$work"' EXIT
    parent=$(dirname "$(realpath "$source")")
    copy=$work/$(basename "$source")
    out=$work/$(realpath -m --relative-to="$parent" "$binary")
    # No build folder comes along, whatever its name: a packager's is
    # obj-<triplet>/ inside the sources, and its cache would claim the copy.
    inside=$(realpath -m --relative-to="$source" "$binary")
    excluded=(--exclude='./build*' --exclude=./.cache)
    if [ "$inside" = . ]; then
        excluded+=(--exclude=./CMakeCache.txt --exclude=./CMakeFiles)
        out=$work/out
    elif [[ $inside != ..* ]]; then
        excluded+=(--exclude="./$inside")
    fi
    [[ $out == "$work"/..* ]] && out=$work/out
    mkdir -p "$copy"
    tar -C "$source" --anchored "${excluded[@]}" -cf - . | tar -C "$copy" -xf -
    find "$copy" -type f -exec touch {} +
    "$cmake" -S "$copy" -B "$out" -G Ninja -DBUILD_TESTING=OFF "$@" >/dev/null
    "$cmake" --build "$out" >/dev/null
    "$cpack" -G "$generators" --config "$out/CPackConfig.cmake" -B "$work/packages" >/dev/null
    compared=0
    for package in "$dir"/*; do
        [ -f "$package" ] || continue
        again=$work/packages/$(basename "$package")
        [ -f "$again" ] || fail "the second build made no $(basename "$package")"
        # The program inside a zip too, by itself, to say where a difference lies.
        if [[ $package == *.zip ]] && command -v unzip >/dev/null; then
            echo "$(unzip -p "$package" '*/quanvik.exe' | sha256sum | cut -d' ' -f1)  quanvik.exe in $package"
            echo "$(unzip -p "$again" '*/quanvik.exe' | sha256sum | cut -d' ' -f1)  quanvik.exe in $again"
        fi
        sha256sum "$package" "$again"
        [ "$(sha256sum <"$package")" = "$(sha256sum <"$again")" ] ||
            fail "the second build made another $(basename "$package")"
        compared=$((compared + 1))
    done
    [ "$compared" -gt 0 ] || fail "no package in $dir"
    ;;

signed)
    skipUnless osslsigncode openssl unzip
    dir=$1 cpack=$2 config=$3
    # Windows programs sign as Authenticode: the packages are made again
    # with a throwaway certificate, and the program, the installer and the
    # uninstaller it writes must carry a signature that verifies against it.
    work=$(mktemp -d /tmp/quanvik-signed.XXXXXX)
    trap 'rm -rf "$work"' EXIT
    openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Quanvik test signer" \
        -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
    QUANVIK_SIGN_CERT=$work/cert.pem QUANVIK_SIGN_KEY=$work/key.pem \
        "$cpack" -G "ZIP;NSIS" --config "$config" -B "$work/packages" >"$work/cpack.log" ||
        { cat "$work/cpack.log"; fail "cpack could not sign the packages"; }
    # The uninstaller exists only once the installer has written it: it is
    # installed, silently, in a copy of the test's Wine prefix.
    skipUnless wine wineserver
    cp -a "$(readlink -f "$WINEPREFIX")" "$work/wine"
    verify() { # <certificate> <folder of packages>
        local program=$work/quanvik.exe installer uninstaller=$work/wine/drive_c/signed/Uninstall.exe
        unzip -p "$2"/*.zip '*/quanvik.exe' >"$program"
        installer=$(ls "$2"/*-setup.exe)
        rm -rf "$work/wine/drive_c/signed"
        WINEPREFIX=$work/wine WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winemenubuilder.exe=d" \
            wine "$installer" /S '/D=C:\signed' || fail "the signed installer did not install"
        WINEPREFIX=$work/wine wineserver -k
        for file in "$program" "$installer" "$uninstaller"; do
            osslsigncode verify -CAfile "$1" -in "$file" >"$work/verify.log" 2>&1 ||
                { cat "$work/verify.log"; fail "$(basename "$file") carries no valid signature"; }
            echo "$(basename "$file"): $(grep -m1 'Signature verification' "$work/verify.log")"
        done
    }
    verify "$work/cert.pem" "$work/packages"
    # The packages of this build, when it is signed for real.
    if [ -n "${QUANVIK_SIGN_CERT:-}" ]; then
        verify "$QUANVIK_SIGN_CERT" "$dir"
    fi
    ;;

depends)
    skipUnless apt-get
    deb=$(theDeb "$1")
    # A relative path with ./ makes apt read the file rather than a name.
    cd "$(dirname "$deb")"
    out=$(apt-get install --simulate --no-install-recommends "./$(basename "$deb")" 2>&1) ||
        { echo "$out"; fail "apt-get cannot install the package"; }
    echo "$out"
    grep -qE '^Inst quanvik |quanvik is already the newest version' <<<"$out" ||
        fail "apt-get would not install quanvik"
    ;;

starts)
    skipUnless dpkg-deb timeout
    deb=$(theDeb "$1")
    extract "$deb"
    # A program that fails to come up exits or crashes within moments; one that
    # shows its window waits in its event loop until timeout stops it (124).
    status=0
    QT_QPA_PLATFORM=offscreen timeout -s TERM 3 "$root/usr/bin/quanvik" || status=$?
    [ $status -eq 124 ] || fail "quanvik ended on its own with status $status"
    ;;

window)
    skipUnless dpkg-deb Xvfb xauth xwininfo xprop
    deb=$(theDeb "$1")
    extract "$deb"
    # A private X server that takes a free display itself and says which
    # (-displayfd): choosing one first and starting the server after races
    # other programs for it. It accepts every cookie in its file, whatever
    # display the entry names.
    x=$(mktemp -d) server=
    trap 'kill $server 2>/dev/null || true; rm -rf "$root" "$x"' EXIT
    cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
    xauth -q -f "$x/auth" add :0 . "$cookie"
    Xvfb -displayfd 3 -auth "$x/auth" -nolisten tcp -screen 0 1024x768x24 3>"$x/display" 2>"$x/log" &
    server=$!
    for _ in $(seq 100); do
        [ -s "$x/display" ] && break
        kill -0 $server 2>/dev/null || fail "Xvfb did not start: $(cat "$x/log")"
        sleep 0.1
    done
    read -r display <"$x/display" || fail "Xvfb named no display: $(cat "$x/log")"
    xauth -q -f "$x/auth" add ":$display" . "$cookie"
    # Runs itself again on that server and looks for the window.
    DISPLAY=:$display XAUTHORITY=$x/auth "$0" window-inside "$root/usr/bin/quanvik"
    ;;

window-inside)
    log=$(mktemp)
    env -u QT_QPA_PLATFORM "$1" >"$log" 2>&1 &
    pid=$!
    trap 'kill $pid 2>/dev/null || true; rm -f "$log"' EXIT
    # Qt also makes a hidden 1x1 leader window with the same title; the form is
    # the one that gets mapped.
    shown() {
        for id in $(xwininfo -root -tree | awk '/"Quanvik"/ {print $1}'); do
            if xwininfo -id "$id" | grep -q 'Map State: IsViewable'; then
                echo "$id"
                return
            fi
        done
    }
    window=
    for _ in $(seq 50); do
        window=$(shown)
        [ -n "$window" ] && break
        kill -0 $pid 2>/dev/null || fail "quanvik ended before showing its window: $(cat "$log")"
        sleep 0.1
    done
    [ -n "$window" ] || fail "no window titled Quanvik was shown"
    xwininfo -id "$window"
    # The desktop entry's StartupWMClass must match, or docks show a stray icon.
    xprop -id "$window" WM_CLASS | tee /dev/stderr | grep -qF '"quanvik", "Quanvik"' ||
        fail "WM_CLASS does not match the desktop entry"
    ;;

versions)
    skipUnless dpkg dpkg-parsechangelog
    cmake=$1 source=$2 version=$3
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    # The Debian release each build is for, oldest version first: a Debian 12
    # system upgraded to 13 must take the Debian 13 build.
    releases=("" 12 13)
    previous=
    for release in "${releases[@]}"; do
        # As a script, whose build folder is the one it runs in.
        (cd "$work" && "$cmake" -DPROJECT_VERSION="$version" -DPROJECT_SOURCE_DIR="$source" \
            -DQUANVIK_DEBIAN_RELEASE="$release" -P "$source/cmake/DebianVersion.cmake")
        # dpkg's own reading of the changelog the package carries.
        got=$(dpkg-parsechangelog -l "$work/changelog" -S Version) || fail "Debian ${release:-none}: no valid changelog"
        echo "Debian ${release:-none}: $got, $(dpkg-parsechangelog -l "$work/changelog" -S Distribution)"
        [[ $got == "$version${release:++deb$release}" ]] || fail "Debian ${release:-none}: version $got"
        [ -z "$previous" ] || dpkg --compare-versions "$previous" lt "$got" || fail "$got does not follow $previous"
        previous=$got
    done
    ;;

release)
    skipUnless git setpriv unshare wget debootstrap
    source=$1
    git -C "$source" rev-parse -q --verify HEAD >/dev/null || { echo "SKIPPED: $source is not a git clone"; exit 0; }
    # Each case runs the release in a clone of the commit with these scripts
    # committed, whose dist/ holds an earlier release that must stay as it was.
    work=$(mktemp -d /tmp/quanvik-release.XXXXXX)
    trap 'rm -rf "$work"' EXIT
    chmod 755 "$work"
    clone=$work/clone
    git clone -q "$source" "$clone"
    cp "$source"/scripts/{release,common.sh,debian_root.sh,deps} "$clone/scripts/"
    commit() { git -C "$clone" -c user.name=test -c user.email=test@example.org commit -qam "$1" >/dev/null || true; }
    commit "the scripts under test"
    mkdir -p "$clone/dist" && echo "an earlier release" >"$clone/dist/SHA256SUMS"
    . /etc/os-release
    online=no
    wget -q --spider --timeout=20 "${QUANVIK_DEBIAN_MIRROR:-http://deb.debian.org/debian}/dists/trixie/InRelease" &&
        online=yes
    # case | runs as | needs (root, Debian 12 online) | what it must say
    cases=(
        "as a normal user|setpriv --reuid=65534 --regid=65534 --clear-groups|root|needs root"
        "without network|unshare --net|root|archive cannot be reached at"
        "with a build that fails|env|debian12-online|stopped at \"the Debian 12 package\""
    )
    tried=0
    for row in "${cases[@]}"; do
        IFS='|' read -r name runner needs said <<<"$row"
        if [ "$(id -u)" -ne 0 ] || { [ "$needs" = debian12-online ] && [ "$ID/$VERSION_ID/$online" != debian/12/yes ]; }; then
            echo "not tried: $name"
            continue
        fi
        if [ "$name" = "with a build that fails" ]; then
            echo 'message(FATAL_ERROR "a fault")' >>"$clone/CMakeLists.txt" && commit "a fault"
        fi
        status=0
        out=$($runner "$clone/scripts/release" 2>&1) || status=$?
        echo "-- $name (status $status):"
        echo "$out" | tail -n 4
        [ $status -ne 0 ] || fail "the release $name succeeded"
        grep -qF "$said" <<<"$out" || fail "the release $name did not say \"$said\""
        { [ "$(ls "$clone/dist")" = SHA256SUMS ] && [ "$(cat "$clone/dist/SHA256SUMS")" = "an earlier release" ]; } ||
            fail "the release $name changed dist/"
        tried=$((tried + 1))
    done
    [ "$tried" -gt 0 ] || fail "no case could be tried"
    ;;

*)
    fail "unknown mode $mode"
    ;;
esac
# The closing line CTest waits for: only a run that got here passed.
echo "package_test.sh $mode: passed"
