# Shared by the X11 check scripts (sourced): the tools they need, and a scratch folder whose
# background processes (listed in `pids`) are ended and which is removed on exit.
# Usage: require_tools TOOL...   (exits 77, "skipped", when one is missing)
#        start_scratch            (sets `work` and `pids`, installs the exit trap)
#        wait_for SECONDS CMD...  (polls CMD every 50 ms)
#        start_xvfb WxH           (after start_scratch: sets `xvfb_pid`, exports DISPLAY;
#                                  `own_display` then tells whether the server is still ours)

require_tools() {
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "skipped: $tool is not installed"
            exit 77
        fi
    done
}

start_scratch() {
    work=$(mktemp -d)
    pids=()
    trap cleanup_scratch EXIT
}

cleanup_scratch() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}

# Polls a command until it succeeds, every 50 ms, for at most the given seconds.
wait_for() {
    local tries=$(($1 * 20))
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}

# Xvfb picks a free display number itself and writes it to the descriptor given.
start_xvfb() {
    xvfb_size=$1
    # A server started before in this folder left its number here.
    rm -f "$work/display"
    Xvfb -displayfd 5 -screen 0 "${xvfb_size}x24" -nolisten tcp 5>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    pids+=("$xvfb_pid")
    wait_for 10 has_display || { cat "$work/xvfb.log"; echo "FAIL: Xvfb did not start"; exit 1; }
    export DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb
}
has_display() { [ -s "$work/display" ]; }
# Never work on a display that is not this script's own (another server of the same number).
own_display() {
    kill -0 "$xvfb_pid" 2>/dev/null && xwininfo -root | grep -q "geometry ${xvfb_size}+0+0"
}

# Starts openbox on the display and waits until it manages it (the script's own retry_or_fail
# ends the check otherwise). Now and then openbox cannot open a display that has just started;
# it is started again then.
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
start_openbox() {
    for _ in 1 2 3; do
        openbox --sm-disable >"$work/openbox.log" 2>&1 &
        openbox_pid=$!
        pids+=($openbox_pid)
        openbox_up() { wm_running || ! kill -0 "$openbox_pid" 2>/dev/null; }
        wait_for 20 openbox_up || true
        wm_running && break
        kill "$openbox_pid" 2>/dev/null || true
        sleep 0.5
    done
    wm_running || { cat "$work/openbox.log"; retry_or_fail "openbox did not start"; }
    own_display || retry_or_fail "Xvfb is gone"
}
