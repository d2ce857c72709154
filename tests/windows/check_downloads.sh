#!/bin/sh
# Checks what a Windows user downloads, made by CPack from this build tree, each under
# Wine in a fresh prefix: the portable zip (exactly the program folder; unpacked, the
# program runs) and the installer (a silent install into a chosen folder with its Start
# menu shortcut and its entry in the list of installed programs, the installed program
# running, an install over an older one, the same bytes when packed again, a silent uninstall that keeps what the user put
# in the folder, and a folder that cannot be written, refused with nothing left behind).
#
# Usage: check_downloads.sh <build dir> <cpack>
# Exit status: 0 passed, 1 failed, 77 skipped.
set -u
build=$1
cpack=$2
. "$(dirname "$0")/winelib.sh"
need_display sh "$0" "$@"
for tool in makensis unzip setpriv; do
    command -v "$tool" >/dev/null 2>&1 || {
        echo "SKIP: $tool not found (Debian packages nsis, unzip, util-linux)"
        exit 77
    }
done

work=$(mktemp -d)
chmod 755 "$work"
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT

"$cpack" --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    echo "FAIL: cpack did not make the downloads"
    exit 1
}
zip=$(ls "$work"/out/Morl-*-win64.zip 2>/dev/null)
setup=$(ls "$work"/out/Morl-*-win64-setup.exe 2>/dev/null)
[ -f "$zip" ] && [ -f "$setup" ] || {
    ls -l "$work/out"
    echo "FAIL: the zip or the installer is missing"
    exit 1
}
echo "made: $(basename "$zip") $(stat -c %s "$zip") bytes, $(basename "$setup") $(stat -c %s "$setup") bytes"

# The same sources give the same downloads: packed again after the built program and its
# files got another time, the zip and the installer hold the same bytes.
find "$build" -maxdepth 2 -name 'morl.exe' -exec touch {} +
sleep 1
"$cpack" --config "$build/CPackConfig.cmake" -B "$work/again" >"$work/cpack-again.log" 2>&1 ||
    fail "cpack did not make the downloads a second time"
same=true
for f in "$zip" "$setup"; do
    cmp -s "$f" "$work/again/$(basename "$f")" || {
        fail "$(basename "$f") differs when packed again from the same sources"
        same=false
    }
done
$same && echo "packed twice, files touched in between: the same bytes"

# The program folder as the build installs it, to compare the downloads with.
cmake --install "$build" --prefix "$work/deployed" --component morl --strip >/dev/null
deployed=$(cd "$work/deployed" && find . -type f | sed 's|^\./||' | sort)

# The zip: the same files, nothing more; unpacked anywhere, the program runs.
zipped=$(unzip -Z1 "$zip" | grep -v '/$' | sort)
[ "$zipped" = "$deployed" ] || fail "the zip does not hold exactly the program folder:
$(printf '%s\n' "$zipped" | diff - "$(printf '%s\n' "$deployed" > "$work/d.txt"; echo "$work/d.txt")")"
mkdir -p "$work/unzipped/Morl portable"
unzip -q "$zip" -d "$work/unzipped/Morl portable"
for f in $deployed; do
    cmp -s "$work/deployed/$f" "$work/unzipped/Morl portable/$f" || fail "unzipped $f differs"
done
fresh_prefix "$work/prefix-zip"
start_and_close "$work/unzipped/Morl portable/morl.exe"

# The installer, silent, into a chosen folder.
fresh_prefix "$work/prefix-setup"
drive_c="$WINEPREFIX/drive_c"
installed="$drive_c/Outils/Morl test"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Morl'
shortcut="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Morl.lnk"
registry() { "$wine" reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"; }
entries() { "$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | tr -d '\r' | grep -c 'DisplayName *REG_SZ *Morl$'; }

# The installer reads /D= unquoted, to the end of its command line: cmd passes it as typed.
setup_silent() {
    "$wine" cmd /c "$(winpath "$setup") /S /D=$1"
}
setup_silent 'C:\Outils\Morl test'
status=$?
wineserver -w
[ "$status" = 0 ] || fail "the silent install ended with status $status"
for f in $deployed Uninstall.exe; do
    [ -f "$installed/$f" ] || fail "not installed: $f"
done
[ -f "$shortcut" ] || fail "no Start menu shortcut"
[ -f "$shortcut" ] && { strings -a "$shortcut"; strings -a -el "$shortcut"; } | grep -qi 'Morl test\\morl.exe' ||
    fail "the shortcut does not lead to the installed morl.exe"
[ "$(registry DisplayName)" = "Morl" ] || fail "display name: '$(registry DisplayName)'"
[ "$(registry DisplayVersion)" = "1.1.0" ] || fail "display version: '$(registry DisplayVersion)'"
[ "$(registry Publisher)" = "Morl" ] || fail "publisher: '$(registry Publisher)'"
registry DisplayIcon | grep -qi 'Morl test\\morl.exe' || fail "display icon: '$(registry DisplayIcon)'"
[ -n "$(registry EstimatedSize)" ] || fail "no estimated size"
echo "installed: $(registry DisplayName) $(registry DisplayVersion) by $(registry Publisher), icon $(registry DisplayIcon)"
start_and_close "$installed/morl.exe"

# Over an older installation: the files are replaced and the list keeps one entry.
"$wine" reg add "$key" /v DisplayVersion /d 1.0.0 /f >/dev/null 2>&1
echo "old" > "$installed/morl.exe"
setup_silent 'C:\Outils\Morl test'
wineserver -w
cmp -s "$installed/morl.exe" "$work/deployed/morl.exe" || fail "the upgrade did not replace morl.exe"
[ "$(registry DisplayVersion)" = "1.1.0" ] || fail "after the upgrade, version '$(registry DisplayVersion)'"
[ "$(entries)" = 1 ] || fail "$(entries) entries for Morl in the list of installed programs"

# Silent uninstall: what the installer put there goes, a file of the user's stays (and
# with it the folder), and nothing else is touched.
echo "mes notes" > "$installed/notes.txt"
mkdir -p "$drive_c/Outils/Autre"
echo "autre" > "$drive_c/Outils/Autre/garder.txt"
"$wine" "$installed/Uninstall.exe" /S
wineserver -w
for f in $deployed Uninstall.exe; do
    [ -e "$installed/$f" ] && fail "left after the uninstall: $f"
done
[ -e "$shortcut" ] && fail "the shortcut is left after the uninstall"
"$wine" reg query "$key" >/dev/null 2>&1 && fail "the uninstall entry is left"
[ "$(cat "$installed/notes.txt" 2>/dev/null)" = "mes notes" ] || fail "the user's file was removed"
[ "$(cat "$drive_c/Outils/Autre/garder.txt" 2>/dev/null)" = "autre" ] || fail "an unrelated file was removed"

# A folder the user may not write: the installer says so and leaves nothing. Wine runs as
# an unprivileged user here, with a prefix of its own, and the folder belongs to root.
locked="$work/locked"
mkdir -p "$locked"
chmod 755 "$locked"
prefix="$work/prefix-user"
mkdir -p "$prefix"
home="$work/home-user"
mkdir -p "$home"
cp "$setup" "$work/setup.exe"
chmod 644 "$work/setup.exe"
chown nobody "$prefix" "$home" 2>/dev/null &&
    setpriv --reuid=nobody --regid=nogroup --clear-groups --reset-env \
        env PATH=/usr/bin:/bin WINEPREFIX="$prefix" HOME="$home" WINEDEBUG=-all \
        WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d" \
        sh -c "wine wineboot -i >/dev/null 2>&1; wineserver -w
               wine cmd /c '$(winpath "$work/setup.exe") /S /D=$(winpath "$locked")\\Morl'
               echo \$? > '$home/status'; wineserver -w" ||
    fail "cannot run Wine as an unprivileged user"
status=$(cat "$home/status" 2>/dev/null)
[ -n "$status" ] && [ "$status" != 0 ] || fail "the install into a locked folder ended with status '$status'"
[ -z "$(ls -A "$locked")" ] || fail "the refused install left: $(ls -A "$locked")"
echo "refused install into a locked folder: status $status, nothing left"

[ "$failed" = 0 ] && echo "PASS" || exit 1
