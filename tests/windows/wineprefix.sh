#!/bin/sh
# Makes a Wine prefix, the one way the project makes them: for the Windows tests (shared,
# made once before the first of them) and for the checks of the program and of its
# downloads (each in a fresh prefix of its own).
#
# Usage: wineprefix.sh [--fresh] <folder> [<drive letter> <folder of the drive>]
#   --fresh   remove what is in <folder> first; otherwise an existing prefix is kept
#   WINE      the wine program (default: wine)
#
# Wine does not follow drive letters that a program maps at run time: a drive that the
# tests search from its root is mapped here, the way Wine maps its drives.
#
# Every prefix gets Wine's own Tahoma, a sans font with the metrics of Windows' Tahoma
# (Debian's fonts-wine). With it, Wine names Tahoma 8 pt as the system's message font,
# which Qt takes as the font of its windows. Debian's Wine 8 does not load the fonts where
# fonts-wine puts them, and without Tahoma Wine names "MS Shell Dlg", which it maps to the
# missing Tahoma: Qt then falls back to another font, a serif one on Debian.
set -eu
fresh=false
if [ "${1:-}" = --fresh ]; then
    fresh=true
    shift
fi
prefix=$1
drive=${2:-}
drive_dir=${3:-}
wine=${WINE:-wine}

export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
$fresh && rm -rf "$prefix"
if [ ! -f "$prefix/system.reg" ]; then
    "$wine" wineboot -i >/dev/null 2>&1 || true
    # wineboot returns before the prefix's services have settled; wait for them.
    server=$(command -v wineserver || echo /usr/lib/wine/wineserver)
    "$server" -w || true
    [ -f "$prefix/system.reg" ] || {
        echo "FAIL: Wine could not make a prefix in $prefix" >&2
        exit 1
    }
fi
fonts=/usr/share/wine/fonts
mkdir -p "$prefix/drive_c/windows/Fonts"
for font in tahoma.ttf tahomabd.ttf; do
    [ -f "$fonts/$font" ] || {
        echo "FAIL: no $fonts/$font (Debian package fonts-wine; scripts/deps.sh windows)" >&2
        exit 1
    }
    cp -p "$fonts/$font" "$prefix/drive_c/windows/Fonts/$font"
done
if [ -n "$drive" ]; then
    mkdir -p "$drive_dir"
    rm -f "$prefix/dosdevices/$drive"
    ln -s "$drive_dir" "$prefix/dosdevices/$drive"
fi
