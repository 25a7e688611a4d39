# Sourced by end-to-end scripts: a private Xvfb and window lookups.
# Exits 77 (skipped) when Xvfb or xdotool is not installed.

# The game's window, as the game titles it.
WINDOW_TITLE="Kestravel  -  Ctrl+F for Fullscreen"

require_x_tools() {
    for tool in Xvfb xdotool xwininfo; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "skipped: $tool is not installed"
            exit 77
        fi
    done
}

# Starts Xvfb on a display it picks itself (no race with other tests); sets
# DISPLAY and XVFB_PID. -noreset: by default Xvfb resets when its last client leaves, and a
# program connecting during that reset (right after the probe below) is refused.
start_xvfb() {
    local numberFile n tries
    numberFile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$numberFile" >/dev/null 2>&1 &
    XVFB_PID=$!
    for tries in $(seq 1 100); do
        n=$(head -n 1 "$numberFile" 2>/dev/null)
        if [ -n "$n" ] && DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1; then
            rm -f "$numberFile"
            export DISPLAY=":$n"
            return 0
        fi
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$numberFile"
    stop_xvfb
    echo "could not start Xvfb"
    return 1
}

stop_xvfb() {
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
        XVFB_PID=
    fi
}

# Id of the top-level window whose title is exactly $1, or nothing. Reads the
# tree rather than asking xdotool, which skips UTF-8-only titles.
window_titled() {
    xwininfo -root -tree 2>/dev/null | grep -F "\"$1\":" | awk '{print $1}' | head -n 1
}

# Waits up to $2 seconds for a window titled $1; prints its id. With a process id as $3, gives
# up as soon as that process has ended. Start-up under the sanitizers on a loaded machine can
# take many seconds, so callers allow generously.
wait_for_window() {
    local id i
    for i in $(seq 1 $(($2 * 10))); do
        id=$(window_titled "$1")
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        if [ -n "${3:-}" ] && ! kill -0 "$3" 2>/dev/null; then
            return 1
        fi
        sleep 0.1
    done
    return 1
}

# Waits up to $2 seconds for process $1, a child of this shell, to end and sets EXIT_STATUS.
# Fails if it still runs. Not for $(...): only this shell can collect the status.
wait_for_exit() {
    local i
    for i in $(seq 1 $(($2 * 10))); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$1" 2>/dev/null && return 1
    wait "$1"
    EXIT_STATUS=$?
}

# "WxH" of a window.
window_size() {
    xwininfo -id "$1" 2>/dev/null | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'
}

# Holds a key combination long enough for the game to see it in some frame.
press_keys() {
    local key
    for key in "$@"; do xdotool keydown "$key"; done
    sleep 0.3
    for ((i = $#; i >= 1; i--)); do xdotool keyup "${!i}"; done
    # Released for a few frames too: the game reads the keys once a frame, and a release and the
    # next press within one frame (a busy machine) would read as the key held all along.
    sleep 0.2
}
