#!/bin/sh
# Builds Morl's Debian package from a build tree, unpacks it into a fresh folder (never
# into the machine's /usr) and checks it as a desktop would see it: the control data and
# its dependencies, the files and their places, the desktop entry, and the program itself
# starting offscreen and staying up until it is ended.
#
# Usage: check_deb.sh <build dir> <source dir> <cpack>
# Exit status: 0 passed, 1 failed, 77 skipped (a Debian packaging tool is missing).
set -u
build=$1
source=$2
cpack=$3

for tool in dpkg-deb dpkg-shlibdeps desktop-file-validate; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool not found (Debian packages dpkg-dev and desktop-file-utils)"
        exit 77
    fi
done

work=$(mktemp -d)
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

# The package, built into the work folder so that the build tree stays as it was.
if ! "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL: cpack did not build the package"
    exit 1
fi
set -- "$work"/out/*.deb
if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    echo "FAIL: expected one .deb, found: $*"
    exit 1
fi
deb=$1
echo "package: $(basename "$deb")"

# Control data: name, version, and the Qt libraries found by dpkg-shlibdeps.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = morl ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = 1.1.0 ] || fail "Version is '$(field Version)'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
depends=$(field Depends)
echo "Depends: $depends"
names=$(echo "$depends" | tr ',|' '\n\n' | sed 's/^ *//; s/[ (].*//')
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libc6 libstdc++6; do
    echo "$names" | grep -Fxq "$lib" || fail "Depends does not name $lib"
done
dpkg-deb -I "$deb" | grep -q "Maintainer: .*@example.org" || fail "no Maintainer under example.org"

# Exactly the program, its desktop entry and its three icons: no test, tool or library.
expected="./usr/bin/morl
./usr/share/applications/morl.desktop
./usr/share/icons/hicolor/16x16/apps/morl.png
./usr/share/icons/hicolor/256x256/apps/morl.png
./usr/share/icons/hicolor/32x32/apps/morl.png"
files=$(dpkg-deb -c "$deb" | grep -v '^d' | awk '{ print $6 }' | sort)
if [ "$files" != "$expected" ]; then
    fail "unexpected package contents:"
    echo "$files"
fi

root=$work/root
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x"; exit 1; }
[ -x "$root/usr/bin/morl" ] || fail "usr/bin/morl is not executable"
for size in 16 32 256; do
    icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/morl.png
    cmp -s "$icon" "$source/icons/icon-$size.png" || fail "the ${size}x${size} icon is not icons/icon-$size.png"
done

# The desktop entry validates and points at what the package installs.
entry=$root/usr/share/applications/morl.desktop
report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate failed"
[ -z "$report" ] || fail "desktop-file-validate reports: $report"
key() { sed -n "s/^$1=//p" "$entry"; }
[ "$(key Name)" = Morl ] || fail "Name is '$(key Name)'"
[ "$(key Categories)" = "Utility;" ] || fail "Categories is '$(key Categories)'"
[ -n "$(key Comment)" ] || fail "no Comment"
[ -x "$root/usr/bin/$(key Exec)" ] || fail "Exec '$(key Exec)' is not in usr/bin"
[ -f "$root/usr/share/icons/hicolor/256x256/apps/$(key Icon).png" ] || fail "Icon '$(key Icon)' is not in the hicolor theme"

# The unpacked program comes up offscreen and stays up until it is ended. A desktop
# session provides XDG_RUNTIME_DIR; without it Qt would warn about its absence. The offscreen
# platform itself says once per shown window that it cannot propagate size hints: that line
# is the platform's, every other line on stderr is a failure.
mkdir -m 700 "$work/runtime"
XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=offscreen "$root/usr/bin/morl" \
    >"$work/stdout" 2>"$work/stderr" &
pid=$!
ticks=0
while [ $ticks -lt 30 ] && kill -0 "$pid" 2>/dev/null; do
    sleep 0.1
    ticks=$((ticks + 1))
done
if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    wait "$pid" 2>/dev/null
    pid=""
else
    wait "$pid"
    fail "morl ended on its own with status $? before it was stopped"
    pid=""
fi
unexpected=$(grep -v -x 'This plugin does not support propagateSizeHints()' "$work/stderr")
if [ -n "$unexpected" ]; then
    fail "morl wrote to stderr:"
    echo "$unexpected"
fi

[ $failed -eq 0 ] && echo "PASS: $(basename "$deb")"
exit $failed
