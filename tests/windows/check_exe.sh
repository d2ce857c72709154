#!/bin/sh
# Checks the built morl.exe as Windows sees it: a 64-bit GUI program (no console window)
# whose imports are Windows' own DLLs only (Qt and the MinGW runtime are inside it), and
# which starts from the deployed folder alone in a fresh Wine prefix, shows its window
# and ends with status 0 when the window is closed.
#
# Usage: check_exe.sh <morl.exe> <objdump>
# Exit status: 0 passed, 1 failed, 77 skipped.
set -u
exe=$1
objdump=$2
. "$(dirname "$0")/winelib.sh"
need_display sh "$0" "$@"

work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT

headers=$("$objdump" -p "$exe") || {
    echo "FAIL: $objdump cannot read $exe"
    exit 1
}
echo "$headers" | grep -q 'file format pei-x86-64' || fail "not a PE32+ x86-64 file"
echo "$headers" | grep -Eq '^Magic[[:space:]]+020b' || fail "optional header is not PE32+"
echo "$headers" | grep -Eq '^Subsystem[[:space:]]+00000002' || fail "not a GUI-subsystem program"

# Every imported DLL must be one that Windows itself provides: Wine's prefix holds the
# system's DLLs, and nothing else.
fresh_prefix "$work/prefix"
system32="$WINEPREFIX/drive_c/windows/system32"
imports=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort -u)
[ -n "$imports" ] || fail "no imports found"
for dll in $imports; do
    case $(echo "$dll" | tr 'A-Z' 'a-z') in
    qt6* | libstdc++* | libgcc* | libwinpthread*) fail "imports $dll" ;;
    # API sets: names that the Windows loader itself maps to its own DLLs.
    api-ms-win-* | ext-ms-win-*) continue ;;
    esac
    found=$(find "$system32" -maxdepth 1 -iname "$dll" | head -n 1)
    [ -n "$found" ] || fail "imports $dll, which is not a Windows system DLL"
done
echo "imports: $(echo $imports)"

# The program folder alone, copied elsewhere, runs.
mkdir -p "$work/Morl"
cp "$exe" "$work/Morl/morl.exe"
start_and_close "$work/Morl/morl.exe"

[ "$failed" = 0 ] && echo "PASS" || exit 1
