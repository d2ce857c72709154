# Shell functions for the checks of the Windows program under Wine, sourced by the check
# scripts. Each check works in a fresh Wine prefix of its own, so that nothing an earlier
# run installed or registered can make it pass.

wine=${WINE:-wine}
# This file's folder, where wineprefix.sh lies: the sourcing script's unless it says.
winetools=${winetools:-$(dirname "$0")}
failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

# Runs the calling script again on a virtual display when there is none.
need_display() {
    if [ -z "${DISPLAY:-}" ]; then
        command -v xvfb-run >/dev/null 2>&1 || {
            echo "SKIP: no display and no xvfb-run (Debian package xvfb)"
            exit 77
        }
        exec xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
    fi
}

# Makes a new Wine prefix in the given folder and uses it from then on.
fresh_prefix() {
    WINE="$wine" sh "$winetools/wineprefix.sh" --fresh "$1" || exit 1
    export WINEPREFIX="$1"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
}

# Starts a program, waits until its main window "Morl" is on the screen, closes it as the
# system does when the user closes it (WM_CLOSE), and says whether the program then ended
# by itself with status 0.
start_and_close() {
    program=$1
    "$wine" "$program" >/dev/null 2>&1 &
    pid=$!
    # Looked for once a second for two minutes: a search that fails at once (the display
    # still settling) is tried again instead of failing the check.
    shown=false
    for _ in $(seq 1 120); do
        if xdotool search --onlyvisible --name '^Morl$' >/dev/null 2>&1; then
            shown=true
            break
        fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 1
    done
    if ! $shown; then
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        fail "$program showed no window named Morl"
        return 1
    fi
    "$wine" taskkill /im "$(basename "$program")" >/dev/null 2>&1
    status=124
    for _ in $(seq 1 60); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            status=$?
            break
        fi
        sleep 1
    done
    if [ "$status" = 124 ]; then
        kill "$pid" 2>/dev/null
        fail "$program did not end after its window was closed"
        return 1
    fi
    [ "$status" = 0 ] || {
        fail "$program ended with status $status"
        return 1
    }
    echo "ok: $program showed its window and ended with status 0 when it was closed"
}

# The Windows path of a file of this machine, as the programs under Wine see it.
winpath() {
    echo "Z:$1" | sed 's|/|\\|g'
}
