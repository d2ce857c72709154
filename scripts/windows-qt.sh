#!/bin/sh
# Builds the static Qt for Windows x86-64 that Morl's Windows build links against, from
# Debian's own source package of Qt's base module, with the MinGW-w64 cross compiler and
# the host's Qt tools (moc, rcc, uic). Prints the installed prefix on its last line.
#
# The result is kept in a cache folder outside the repository, keyed by the Qt version and
# by this script's configure options, and reused when it is there: only the first run on a
# machine pays for the build (about half an hour on two cores). A build that fails leaves
# nothing that a later run would take for a finished Qt: the prefix is only trusted once
# its marker file, written after a complete install, is there.
#
# Usage: scripts/windows-qt.sh          (MORL_CACHE overrides ~/.cache/morl)
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${MORL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/morl}
jobs=${MORL_JOBS:-$(nproc)}

fail() {
    echo "windows-qt: $1" >&2
    [ $# -gt 1 ] && echo "windows-qt: see $2" >&2
    exit 1
}

"$repo/scripts/deps.sh" windows >&2

qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null | sed 's/+.*//') ||
    fail "the host Qt (qt6-base-dev) is not installed"
[ -n "$qt_version" ] || fail "the host Qt (qt6-base-dev) is not installed"

# Only what Morl and its tests need: Core, Gui, Widgets, Test, the windows and offscreen
# platforms, the Windows styles and the bundled third-party libraries. Writers and readers
# of documents, graphics view and session management are left out: Morl uses none of
# them, and they are a good part of the build's time.
# tabletevent: Debian's tarball drops the wintab headers; dynamicgl: the windows plugin of
# 6.4 does not compile with OpenGL off unless it is off too.
qt_options="
-DBUILD_SHARED_LIBS=OFF
-DCMAKE_BUILD_TYPE=Release
-DQT_BUILD_EXAMPLES=OFF
-DQT_BUILD_TESTS=OFF
-DQT_BUILD_BENCHMARKS=OFF
-DINPUT_opengl=no
-DFEATURE_opengl=OFF
-DFEATURE_dynamicgl=OFF
-DFEATURE_vulkan=OFF
-DFEATURE_tabletevent=OFF
-DFEATURE_network=OFF
-DFEATURE_sql=OFF
-DFEATURE_dbus=OFF
-DFEATURE_xml=OFF
-DFEATURE_concurrent=OFF
-DFEATURE_printsupport=OFF
-DFEATURE_icu=OFF
-DFEATURE_jpeg=OFF
-DFEATURE_gif=OFF
-DFEATURE_system_zlib=OFF
-DFEATURE_system_pcre2=OFF
-DFEATURE_system_png=OFF
-DFEATURE_system_harfbuzz=OFF
-DFEATURE_freetype=ON
-DFEATURE_system_freetype=OFF
-DFEATURE_fontconfig=OFF
-DFEATURE_testlib=ON
-DFEATURE_widgets=ON
-DFEATURE_gui=ON
-DFEATURE_pdf=OFF
-DFEATURE_textodfwriter=OFF
-DFEATURE_textmarkdownreader=OFF
-DFEATURE_textmarkdownwriter=OFF
-DFEATURE_graphicsview=OFF
-DFEATURE_sessionmanager=OFF
"
compiler=$(x86_64-w64-mingw32-g++-posix --version 2>/dev/null | head -n 1) ||
    fail "the MinGW-w64 cross compiler (g++-mingw-w64-x86-64-posix) is not installed"
key=$(printf '%s\n%s\n%s\n' "$qt_version" "$compiler" "$qt_options" |
    sha256sum | cut -c1-12)
prefix="$cache/qt-$qt_version-mingw-static-$key"

if [ -f "$prefix/.complete" ] && [ -d "$prefix/licenses" ]; then
    echo "$prefix"
    exit 0
fi

mkdir -p "$cache"
work="$cache/work-$key"
log="$cache/qt-build-$key.log"

# Debian's source package, fetched with apt-get source (apt needs a deb-src entry for the
# same mirror and suites as the binary packages, which deps.sh adds when it is missing),
# then configured for Windows.
fetch_and_configure() {
    "$repo/scripts/deps.sh" sources > "$work/apt-update.log" 2>&1 ||
        fail "could not add a deb-src entry to the apt sources" "$work/apt-update.log"
    (cd "$work" && apt-get source --download-only "qt6-base=$(dpkg-query -W -f='${Version}' qt6-base-dev)" > "$log" 2>&1 ||
        apt-get source --download-only qt6-base >> "$log" 2>&1) ||
        fail "could not fetch Debian's qt6-base source package" "$log"
    (cd "$work" && dpkg-source -x qt6-base_*.dsc src >> "$log" 2>&1) ||
        fail "could not unpack Debian's qt6-base source package" "$log"

    cmake -S "$work/src" -B "$work/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
        -DQT_HOST_PATH=/usr \
        -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake" \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        $qt_options >> "$log" 2>&1 || fail "Qt's configure failed" "$log"
}

# The license texts of Qt and of the libraries it bundles, which go beside morl.exe. Any
# copy that fails fails the whole: a download must not ship without a license it needs.
collect_licenses() {
    dest="$prefix/licenses"
    rm -rf "$dest"
    mkdir -p "$dest/3rdparty" || return 1
    cp -r "$work/src/LICENSES" "$dest/" || return 1
    cp "$work/src/debian/copyright" "$dest/debian-copyright" || return 1
    for dir in "$work/src/src/3rdparty"/*/; do
        name=$(basename "$dir")
        found=$(cd "$dir" && find . -maxdepth 2 -type f \( -name qt_attribution.json \
            -o -iname 'LICENSE*' -o -iname 'COPYING*' \) -print) || return 1
        # One name a line: license files have no line breaks in their names.
        old_ifs=$IFS
        IFS='
'
        for f in $found; do
            mkdir -p "$dest/3rdparty/$name/$(dirname "$f")" || return 1
            cp "$dir/$f" "$dest/3rdparty/$name/$f" || return 1
        done
        IFS=$old_ifs
    done
}

rm -rf "$prefix"
# A build that was stopped half-way (a session that ended, a machine that was stopped)
# goes on where it was: its sources and configured tree stay until the install is done.
if [ -f "$work/build/build.ninja" ] && [ -f "$work/src/CMakeLists.txt" ]; then
    echo "windows-qt: resuming the build of Qt $qt_version for Windows in $work (log: $log)" >&2
    echo "--- resumed $(date)" >> "$log"
else
    rm -rf "$work"
    mkdir -p "$work"
    echo "windows-qt: building Qt $qt_version for Windows into $prefix (log: $log)" >&2
    fetch_and_configure
fi
cmake --build "$work/build" --parallel "$jobs" >> "$log" 2>&1 || fail "the Qt build failed" "$log"
cmake --install "$work/build" >> "$log" 2>&1 || fail "the Qt install failed" "$log"

collect_licenses || fail "could not copy Qt's license texts" "$log"
touch "$prefix/.complete"
rm -rf "$work"
echo "$prefix"
