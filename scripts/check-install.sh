#!/usr/bin/env bash
# Installs the build to a temporary prefix and checks what a desktop and a
# packager see there: the desktop entry and the metainfo pass their
# validators, the manual pages and icons are in place, and the installed
# programs choose their files' layout as documented (the XDG folders when
# installed, beside the executable for a copy or when a vorpl.dat lies there);
# the systemd user units pass systemd-analyze verify, the copyright file and
# the changelog are in place.
# With --package it also builds the Debian package, shows its control data,
# checks that it holds the units, the demo and the documents, and runs lintian
# on it, which must report no error.
#   scripts/check-install.sh [--package]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh desktop-file-utils appstream man-db dpkg-dev file systemd
scripts/setup.sh vorpaline vorpaline-sync vorpaline-demo manual_pages

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install build --prefix "$prefix" >/dev/null
failures=0
fail() {
    echo "check-install.sh: $*" >&2
    failures=$((failures + 1))
}

app_id=$(sed -n 's/^VORPALINE_APP_ID:STRING=//p' build/CMakeCache.txt)
desktop=$prefix/share/applications/$app_id.desktop
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml

echo "desktop-file-validate $desktop"
report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate failed"
[ -z "$report" ] || { echo "$report"; fail "desktop-file-validate reported something"; }

echo "appstreamcli validate --no-net $metainfo"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate failed"

for page in vorpaline vorpaline-sync vorpaline-demo; do
    file=$prefix/share/man/man1/$page.1.gz
    [ -f "$file" ] || { fail "no manual page $file"; continue; }
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null) || true
    [ -z "$warnings" ] || { echo "$warnings"; fail "man reported problems in $page(1)"; }
done

for size in 16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256; do
    [ -f "$prefix/share/icons/hicolor/$size/apps/vorpaline.png" ] || fail "no $size icon"
done
[ -f "$prefix/share/icons/hicolor/scalable/apps/vorpaline.svg" ] || fail "no scalable icon"

# The nightly Sync's user units: they run the installed program, take 3 (a
# listed user does not exist) as success and pass systemd's own check. A user
# manager needs a runtime folder; their documentation is the installed page.
units=$prefix/lib/systemd/user
grep -qx "ExecStart=$prefix/bin/vorpaline-sync" "$units/vorpaline-sync.service" ||
    fail "the service does not run $prefix/bin/vorpaline-sync"
grep -qx "SuccessExitStatus=3" "$units/vorpaline-sync.service" || fail "the service fails on status 3"
echo "systemd-analyze --user verify $units/vorpaline-sync.service $units/vorpaline-sync.timer"
mkdir -m 700 "$work/runtime"
report=$(XDG_RUNTIME_DIR=$work/runtime MANPATH=$prefix/share/man systemd-analyze --user verify \
    "$units/vorpaline-sync.service" "$units/vorpaline-sync.timer" 2>&1) || fail "systemd-analyze verify failed"
[ -z "$report" ] || { echo "$report"; fail "systemd-analyze verify reported something"; }

doc=$prefix/share/doc/vorpaline
grep -q "^License: Expat" "$doc/copyright" || fail "no machine-readable copyright file in $doc"
gzip -t "$doc/changelog.Debian.gz" || fail "no changelog.Debian.gz in $doc"
"$prefix/bin/vorpaline-demo" --version >/dev/null 2>&1 || fail "vorpaline-demo --version failed"

# Where each program looks for its settings: a Sync without a settings file
# is refused with the file's path, so the check writes nothing.
home=$work/home
settings_path() {
    env -u XDG_CACHE_HOME HOME="$home" XDG_CONFIG_HOME="${config_home:-}" "$1" 2>&1 >/dev/null |
        sed -n 's/^vorpaline-sync: settings file \(.*vorpl\.dat\) .*/\1/p' || true
}
expect_settings() {
    local found
    found=$(settings_path "$1")
    echo "$3: $found"
    [ "$found" = "$2" ] || fail "$3: settings expected at $2, found ${found:-nothing}"
}
expect_settings "$prefix/bin/vorpaline-sync" "$home/.config/vorpaline/vorpl.dat" "installed"
config_home=$work/config expect_settings "$prefix/bin/vorpaline-sync" "$work/config/vorpaline/vorpl.dat" \
    "installed, XDG_CONFIG_HOME set"
# A relative value is to be ignored, not taken from the working folder.
config_home=config expect_settings "$prefix/bin/vorpaline-sync" "$home/.config/vorpaline/vorpl.dat" \
    "installed, XDG_CONFIG_HOME relative"
mkdir -p "$work/copy"
cp "$prefix/bin/vorpaline-sync" "$work/copy/"
expect_settings "$work/copy/vorpaline-sync" "$work/copy/vorpl.dat" "portable copy"
: >"$prefix/bin/vorpl.dat"
expect_settings "$prefix/bin/vorpaline-sync" "$prefix/bin/vorpl.dat" "installed, vorpl.dat beside"
rm "$prefix/bin/vorpl.dat"

# The window program answers without a display.
(unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
    "$prefix/bin/vorpaline" --version) || fail "vorpaline --version failed"

if [ "${1:-}" = "--package" ]; then
    cmake --build build -j"$(nproc)" --target package -- --no-print-directory >/dev/null
    package=$(ls -t build/vorpaline_*.deb | head -n 1)
    dpkg-deb -I "$package"
    grep -q libqt6widgets6 <(dpkg-deb -f "$package" Depends) || fail "the package lacks its Qt dependency"
    grep -q libqt6sql6-sqlite <(dpkg-deb -f "$package" Depends) || fail "the package lacks the SQLite driver"
    contents=$(dpkg-deb -c "$package")
    for file in /usr/bin/vorpaline-demo /usr/lib/systemd/user/vorpaline-sync.service \
        /usr/lib/systemd/user/vorpaline-sync.timer /usr/share/doc/vorpaline/copyright \
        /usr/share/doc/vorpaline/changelog.Debian.gz; do
        grep -q " \.$file\$" <<<"$contents" || fail "the package lacks $file"
    done
    grep -qx "ExecStart=/usr/bin/vorpaline-sync" <(dpkg-deb --fsys-tarfile "$package" |
        tar -xO ./usr/lib/systemd/user/vorpaline-sync.service) || fail "the packaged service runs another program"
    scripts/install-packages.sh lintian
    echo "lintian $package"
    lintian --fail-on error "$package" || fail "lintian reported errors"
fi

if [ "$failures" -gt 0 ]; then
    echo "check-install.sh: $failures check(s) failed" >&2
    exit 1
fi
echo "check-install.sh: the install checks passed"
