#!/usr/bin/env bash
# Window behaviour under a real window manager (Xvfb 1600 x 1200 with openbox), watched from
# outside the program:
#  - every modal window stands above the main window it belongs to, with "Always On Top" on or
#    off, normal or maximised: the dialog is WM_TRANSIENT_FOR the main window, comes after it in
#    _NET_CLIENT_LIST_STACKING, and is kept above (_NET_WM_STATE_ABOVE) exactly when it is;
#  - a stored window size that cannot be shown opens a window on screen, at a usable size, and
#    that size is what the close writes back;
#  - stored bounds beyond the screen open the window inside the screen's usable area, and that is
#    what the close writes back;
#  - the desktop's scale (Xft.dpi 192 and 144) scales the whole window: its client area is twice
#    and one and a half times the one at 96 dots per inch;
#  - the picker, the information dialog and the message boxes offer the border buttons their
#    design gives (_MOTIF_WM_HINTS; what openbox then allows, _NET_WM_ALLOWED_ACTIONS: never
#    maximising or resizing), come back at once when minimised (openbox offers minimising to every
#    window, whatever it asks for), and the information dialog is 460 pixels high, frame and all,
#    from its first showing;
#  - on screens 1024, 1280 and 1920 pixels wide, message boxes and the save-name box have their
#    frame centred on the screen, lie wholly on it, are never narrower than their title, and a
#    long message is not cut off at a share of the screen.
# Usage: scripts/x11-dialog-check.sh <speedmetrix executable> [folder for screenshots]
# Exits 0 when every check holds, 1 when one fails (in two attempts), 77 (skipped) when Xvfb,
# openbox, xwininfo, xprop, wmctrl or xdotool is not installed.
set -euo pipefail
export LC_ALL=C

arguments=("$@")
program=${1:?usage: x11-dialog-check.sh <speedmetrix executable> [screenshot folder]}
shots=${2:-}
# shellcheck source=scripts/x11-common.sh
. "$(dirname "$0")/x11-common.sh"
require_tools Xvfb openbox xwininfo xprop wmctrl xdotool
start_scratch

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
retry_or_fail() {
    echo "FAIL: $*"
    local attempt=${X11_DIALOG_CHECK_ATTEMPT:-1}
    if [ "$attempt" -lt 2 ]; then
        trap - EXIT
        cleanup_scratch
        export X11_DIALOG_CHECK_ATTEMPT=$((attempt + 1))
        exec "$0" "${arguments[@]}"
    fi
    exit 1
}

# Large enough for the designed window at twice its size, which the scale checks need: a stored
# window larger than the screen opens smaller.
start_xvfb 1600x1200
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_FONT_DPI QT_SCALE_FACTOR_ROUNDING_POLICY
wait_for 10 own_display || retry_or_fail "Xvfb is not answering on $DISPLAY"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"

start_openbox

# The managed windows of a process, bottom first: "id caption" per line.
stacking_of() {
    local pid=$1 id
    for id in $(xprop -root _NET_CLIENT_LIST_STACKING | sed -n 's/.*# //p' | tr -d ','); do
        xprop -id "$id" _NET_WM_PID 2>/dev/null | grep -q "= $pid\$" || continue
        echo "$id $(xprop -id "$id" WM_NAME 2>/dev/null | sed -n 's/.* = "\(.*\)"$/\1/p')"
    done
}
# The main window: the one with the program's caption that is a normal window, not a dialog.
main_of() {
    local id
    for id in $(stacking_of "$1" | awk '/ Windows PC Speedmetrix v1.3f$/ { print $1 }'); do
        xprop -id "$id" _NET_WM_WINDOW_TYPE | grep -q '= _NET_WM_WINDOW_TYPE_NORMAL$' && { echo "$id"; return; }
    done
}
state_of() { xprop -id "$1" _NET_WM_STATE 2>/dev/null | sed -n 's/.* = //p'; }
transient_of() { xprop -id "$1" WM_TRANSIENT_FOR 2>/dev/null | sed -n 's/.*window id # //p'; }
maximised() { state_of "$1" | grep -q MAXIMIZED_HORZ; }
size_of() { xwininfo -id "$1" | awk '/^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print w, h }'; }
# The frame's outer size: the client area widened by the frame extents (left, right, top, bottom).
outer_size_of() {
    local w h l=0 r=0 t=0 b=0 extents
    read -r w h < <(size_of "$1")
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.* = //p' | tr -d ',')
    [ -n "$extents" ] && read -r l r t b <<<"$extents"
    echo "$((w + l + r)) $((h + t + b))"
}
viewable() { xwininfo -id "$1" | grep -q 'Map State: IsViewable'; }

# Starts a copy of the program in its own folder: $1 name, $2 settings file content; the rest
# are environment settings for it. Sets `pid` and `dir`.
start() {
    local name=$1 settings=$2
    shift 2
    dir="$work/$name"
    mkdir -p "$dir"
    cp "$program" "$dir/speedmetrix"
    [ -n "$settings" ] && printf '%s' "$settings" >"$dir/Speedmetrix.ini"
    env "$@" "$dir/speedmetrix" >"$dir/out.log" 2>&1 &
    pid=$!
    pids+=($pid)
}
stop() {
    kill -TERM "$pid" 2>/dev/null || true
    gone() { ! kill -0 "$pid" 2>/dev/null; }
    wait_for 10 gone || { fail "$1: the program did not end on SIGTERM"; kill -KILL "$pid" 2>/dev/null || true; }
    wait "$pid" 2>/dev/null || true
}
shot() { [ -z "$shots" ] || import -window root "$shots/$1.png" 2>/dev/null || true; }

settings() { printf '[Speedmetrix]\nWindowState_wsMaximized=%s\nwindow_top_posn=%s\nwindow_left_posn=%s\nwindow_Width=%s\nwindow_Height=%s\nAlways_on_Top_Option=%s\n' "$@"; }

# --- Modal windows above their main window -------------------------------------------------
# $1 name, $2 1 when maximised, $3 Always On Top (1/0), $4 the button or menu entry that opens
# the modal window, $5 the modal window's caption.
dialog_case() {
    local name=$1 max=$2 top=$3 click=$4 caption=$5 main dialog order
    start "$name" "$(settings "$max" 100 100 666 502 "$top")" SPEEDMETRIX_TEST_CLICK="$click"
    find_dialog() {
        main=$(main_of "$pid")
        dialog=$(stacking_of "$pid" | awk -v c="$caption" -v m="$main" '{ id = $1; $1 = ""; if (id != m && substr($0, 2) == c) print id }' | tail -1)
        [ -n "$main" ] && [ -n "$dialog" ] && [ -n "$(state_of "$dialog")" ]
    }
    if ! wait_for 15 find_dialog; then
        fail "$name: no \"$caption\" window beside the main window ($(stacking_of "$pid" | tr '\n' ';'))"
        stop "$name"
        return
    fi
    [ "$max" = 1 ] && { wait_for 5 maximised "$main" || fail "$name: the main window is not maximised"; }
    sleep 0.3 # the window manager has restacked by now
    order=$(stacking_of "$pid" | awk '{ print $1 }' | tr '\n' ' ')
    printf '%-22s main %s dialog %s transient-for %s stacking %s\n' "$name" "$main" "$dialog" \
        "$(transient_of "$dialog")" "$order"
    [ "$(transient_of "$dialog")" = "$main" ] ||
        fail "$name: the dialog is transient for $(transient_of "$dialog"), not the main window $main"
    # Bottom first: the dialog must come after the main window.
    echo "$order" | grep -q "$main.*$dialog" || fail "$name: the dialog is stacked below the main window ($order)"
    if [ "$top" = 1 ]; then
        state_of "$main" | grep -q _NET_WM_STATE_ABOVE || fail "$name: the main window is not kept on top"
        state_of "$dialog" | grep -q _NET_WM_STATE_ABOVE || fail "$name: the dialog is not kept on top with its main window"
    else
        state_of "$dialog" | grep -q _NET_WM_STATE_ABOVE && fail "$name: the dialog is kept on top of everything"
    fi
    shot "$name"
    stop "$name"
}

dialog_case on-top-save 0 1 Save_Results_BitBtn "Save under what name ?"
dialog_case on-top-maximised-about 1 1 AboutOption "About Windows PC Speedmetrix v1.3f ..."
dialog_case on-top-maximised-defaults 1 1 Restore_Factory_Defaults_Option "Windows PC Speedmetrix v1.3f"
dialog_case normal-maximised-about 1 0 AboutOption "About Windows PC Speedmetrix v1.3f ..."
dialog_case on-top-auto-run 0 1 Auto_Run_at_Windows_Startup_Option "Windows PC Speedmetrix v1.3f"
# The entry it made would ask about its place at every later start.
rm -f "$XDG_CONFIG_HOME"/autostart/*.desktop

# --- Stored sizes that cannot be shown -----------------------------------------------------
# Starts a copy with these settings ($1 name, $2 settings, $3 what they store) and waits until
# its main window is on screen, in the caller's $main; when none shows, says so, stops the copy
# and returns 1.
start_main() {
    start "$1" "$2"
    find_main() { main=$(main_of "$pid"); [ -n "$main" ] && viewable "$main"; }
    if ! wait_for 10 find_main; then
        fail "$1: stored $3: no window on screen"
        stop "$1"
        return 1
    fi
    sleep 0.3
}
size_case() {
    local name=$1 width=$2 height=$3 main w h stored
    start_main "$name" "$(settings 0 100 100 "$width" "$height" 0)" "$width x $height" || return
    read -r w h < <(size_of "$main")
    shot "$name"
    stop "$name"
    stored=$(awk -F= '/^window_Width=/ { w = $2 } /^window_Height=/ { h = $2 } END { print w, h }' \
        "$dir/Speedmetrix.ini" | tr -d '\r')
    printf '%-22s stored %s x %s: client %s x %s, written back %s\n' "$name" "$width" "$height" "$w" "$h" "$stored"
    # Menu bar and button column reachable: well over the menu bar's height.
    { [ "$w" -ge 200 ] && [ "$h" -ge 150 ]; } || fail "$name: the window is only $w x $h"
    local sw sh
    read -r sw sh <<<"$stored"
    { [ "$sw" -gt "$width" ] && [ "$sh" -ge "$height" ] && [ "$sw" -ge "$w" ]; } ||
        fail "$name: the close wrote back $stored for a window of $w x $h"
}
size_case size-0x0 0 0
size_case size-2x502 2 502
size_case size-1x1 1 1
size_case size-2x26 2 26

# --- Stored bounds beyond the screen -----------------------------------------------------------
# The window opens inside the usable area (_NET_WORKAREA), frame included, at most as large as
# it, and the close writes back bounds inside it too.
corner_and_size_of() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print x, y, w, h }'
}
inside_workarea() { # $1 left $2 top $3 width $4 height
    local wx wy ww wh
    # One area per virtual desktop; the first is the current one's.
    read -r wx wy ww wh _ < <(xprop -root _NET_WORKAREA | sed -n 's/.* = //p' | tr -d ',')
    [ "$1" -ge "$wx" ] && [ "$2" -ge "$wy" ] && [ $(($1 + $3)) -le $((wx + ww)) ] &&
        [ $(($2 + $4)) -le $((wy + wh)) ]
}
large_case() {
    local name=$1 left=$2 top=$3 width=$4 height=$5 main x y w h l=0 r=0 t=0 b=0 extents written
    start_main "$name" "$(settings 0 "$top" "$left" "$width" "$height" 0)" \
        "$left $top $width x $height" || return
    read -r x y w h < <(corner_and_size_of "$main")
    extents=$(xprop -id "$main" _NET_FRAME_EXTENTS | sed -n 's/.* = //p' | tr -d ',')
    [ -n "$extents" ] && read -r l r t b <<<"$extents"
    shot "$name"
    stop "$name"
    written=$(awk -F= '/^window_(left_posn|top_posn|Width|Height)=/ { v[$1] = $2 }
        END { print v["window_left_posn"], v["window_top_posn"], v["window_Width"], v["window_Height"] }' \
        "$dir/Speedmetrix.ini" | tr -d '\r')
    printf '%-22s stored %s %s %s x %s: frame %s %s %s x %s, written back %s\n' "$name" "$left" "$top" \
        "$width" "$height" $((x - l)) $((y - t)) $((w + l + r)) $((h + t + b)) "$written"
    inside_workarea $((x - l)) $((y - t)) $((w + l + r)) $((h + t + b)) ||
        fail "$name: the window is not inside the usable area"
    # shellcheck disable=SC2086
    inside_workarea $written || fail "$name: the close wrote back $written, not inside the usable area"
}
large_case large-both 100 100 2147483647 2147483647
large_case large-height 100 100 666 1000000
large_case far-left 2147483647 100 666 502
large_case negative-size 100 100 -5 -2147483648

# --- The desktop's scale -----------------------------------------------------------------------
# $1 the Xft.dpi to set (none for 96), then environment settings for the program; prints the
# main window's outer size. The window manager's
# frame is drawn in device pixels, the window's stored outer size is in logical ones: the frame
# takes a smaller share of a scaled window, so the outer size is what scales exactly.
scaled_size() {
    local dpi=$1 main w h name
    shift
    name=$(echo "dpi-$dpi-$*" | tr -c 'a-zA-Z0-9.\n-' '-')
    if [ "$dpi" = none ]; then
        xprop -root -remove RESOURCE_MANAGER 2>/dev/null || true
    else
        # As `xrdb -merge` leaves it on a display with no other resources.
        xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	$dpi"
    fi
    start "$name" "$(settings 0 20 20 666 502 0)" "$@"
    find_main() { main=$(main_of "$pid"); [ -n "$main" ] && viewable "$main"; }
    wait_for 10 find_main || { fail "dpi $dpi: no window"; stop "dpi-$dpi"; return; }
    sleep 0.5
    read -r w h < <(outer_size_of "$main")
    shot "$name"
    stop "$name"
    echo "$w $h"
}
read -r w96 h96 < <(scaled_size none)
read -r w192 h192 < <(scaled_size 192)
read -r w144 h144 < <(scaled_size 144)
read -r wf hf < <(scaled_size none QT_SCALE_FACTOR=2)
read -r ws hs < <(scaled_size none QT_SCREEN_SCALE_FACTORS=1.5)
xprop -root -remove RESOURCE_MANAGER 2>/dev/null || true
echo "outer size at 96 dpi ${w96}x${h96}, at 192 ${w192}x${h192}, at 144 ${w144}x${h144}"
# Within a pixel or two: the frame's share is rounded to whole logical pixels.
near() { [ $(($1 - $2)) -le 2 ] && [ $(($2 - $1)) -le 2 ]; }
[ "$w96 $h96" = "666 502" ] || fail "at 96 dpi the window is ${w96}x${h96}, not the stored 666x502"
near "$w192" $((w96 * 2)) && near "$h192" $((h96 * 2)) || fail "at 192 dpi the window is ${w192}x${h192}, not twice ${w96}x${h96}"
near "$w144" $((w96 * 3 / 2)) && near "$h144" $((h96 * 3 / 2)) || fail "at 144 dpi the window is ${w144}x${h144}, not 1.5 times ${w96}x${h96}"
echo "outer size with QT_SCALE_FACTOR=2 ${wf}x${hf}, with QT_SCREEN_SCALE_FACTORS=1.5 ${ws}x${hs}"
near "$wf" $((w96 * 2)) && near "$hf" $((h96 * 2)) || fail "with QT_SCALE_FACTOR=2 the window is ${wf}x${hf}"
near "$ws" $((w96 * 3 / 2)) && near "$hs" $((h96 * 3 / 2)) || fail "with QT_SCREEN_SCALE_FACTORS=1.5 the window is ${ws}x${hs}"

own_display || retry_or_fail "Xvfb is gone"

# --- Border buttons, minimising, the information dialog's height ----------------------------
# The frame as the window manager draws it: "x y width height".
frame_of() {
    local x y w h l=0 r=0 t=0 b=0 extents
    x=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ { print $NF }')
    y=$(xwininfo -id "$1" | awk '/Absolute upper-left Y/ { print $NF }')
    read -r w h < <(size_of "$1")
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.* = //p' | tr -d ',')
    [ -n "$extents" ] && read -r l r t b <<<"$extents"
    echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}
# The _MOTIF_WM_HINTS fields: flags functions decorations.
motif_of() { xprop -id "$1" _MOTIF_WM_HINTS | sed -n 's/.* = //p' | tr -d ',' | awk '{ print $1, $2, $3 }'; }
allowed_of() { xprop -id "$1" _NET_WM_ALLOWED_ACTIONS | sed -n 's/.* = //p'; }
# Waits for the modal window with caption $2 of the program started last; sets `main`, `dialog`.
wait_for_dialog() {
    local name=$1 caption=$2
    find_dialog() {
        main=$(main_of "$pid")
        dialog=$(stacking_of "$pid" | awk -v c="$caption" -v m="$main" '{ id = $1; $1 = ""; if (id != m && substr($0, 2) == c) print id }' | tail -1)
        [ -n "$main" ] && [ -n "$dialog" ] && viewable "$dialog" && [ -n "$(xprop -id "$dialog" _NET_FRAME_EXTENTS | sed -n 's/.* = //p')" ]
    }
    wait_for 15 find_dialog || { fail "$name: no \"$caption\" window ($(stacking_of "$pid" | tr '\n' ';'))"; return 1; }
    sleep 0.5 # placed, framed and centred again if it had to be
}
only_integer='SPEEDMETRIX_TEST_SET=Floating_Point_Arithmetic_CheckBox=0,Memory_Speed_CheckBox=0,Disk_Speed_Small_Files_CheckBox=0,Disk_Speed_Large_Files_CheckBox=0,Graphics_Standard_Windows_Forms_Controls_CheckBox=0,Graphics_2D_Bitmaps_and_Drawings_CheckBox=0'
# $1 name, $2 what opens it, $3 caption, $4 1 when the design gives it a close box, $5 the outer
# height it must have (empty: any), then environment settings for the program.
buttons_case() {
    local name=$1 click=$2 caption=$3 close=$4 height=$5 flags functions decorations allowed
    shift 5
    mkdir -p "$work/$name"
    printf '[Alpha]\nInteger_Operations_Per_Sec=1\n' >"$work/$name/Speedmetrix_DB.INI"
    start "$name" "" SPEEDMETRIX_TEST_CLICK="$click" "$@"
    wait_for_dialog "$name" "$caption" || { stop "$name"; return; }
    read -r flags functions decorations < <(motif_of "$dialog")
    allowed=$(allowed_of "$dialog")
    read -r fx fy fw fh < <(frame_of "$dialog")
    printf '%-22s motif %s %s %s, frame %sx%s, allowed %s\n' "$name" "$flags" "$functions" "$decorations" "$fw" "$fh" "$allowed"
    shot "$name"
    # Functions (flag 1): no minimise (8), no maximise (16); close (32) exactly when designed.
    if [ $((flags & 1)) -eq 0 ] || [ $((functions & 1)) -ne 0 ]; then
        fail "$name: _MOTIF_WM_HINTS leave every function to the window manager ($flags $functions)"
    else
        [ $((functions & 24)) -eq 0 ] || fail "$name: _MOTIF_WM_HINTS offer minimising or maximising ($functions)"
        [ $(((functions & 32) / 32)) -eq "$close" ] || fail "$name: _MOTIF_WM_HINTS close function is not $close ($functions)"
    fi
    # Decorations (flag 2): no minimise (32) or maximise (64) box.
    if [ $((flags & 2)) -ne 0 ]; then
        [ $((decorations & 97)) -eq 0 ] || fail "$name: _MOTIF_WM_HINTS decorations offer more than the design ($decorations)"
    fi
    echo "$allowed" | grep -Eq 'MAXIMIZE|_NET_WM_ACTION_RESIZE' && fail "$name: the window manager lets it be maximised or resized ($allowed)"
    [ -z "$height" ] || [ "$fh" = "$height" ] || fail "$name: the outer height is $fh, not $height"
    # Minimised (as the title bar's button does), it comes back at once, with the main window.
    wmctrl -i -r "$dialog" -b add,hidden
    sleep 0.3
    back() { viewable "$dialog" && viewable "$main"; }
    wait_for 3 back || fail "$name: minimised, it stays off the screen"
    stop "$name"
}
buttons_case picker Load_Results_BitBtn "Please select a Benchmark Results :" 1 ""
buttons_case information Benchmark_BitBtn "Benchmark Information :" 0 460 "$only_integer"
buttons_case message-box Copy_Results_Data_to_Windows_Clipboard_Option "Windows PC Speedmetrix v1.3f" 1 ""

# --- Boxes on screens 1024, 1280 and 1920 pixels wide ----------------------------------------
# $1 name, $2 screen width, $3 screen height, $4 what opens it, $5 keys to press then (or none),
# $6 the caption, $7 the smallest width it may have (the longest line's, not cut at a share of the
# screen), $8 settings file content, then environment settings for the program.
box_case() {
    local name=$1 sw=$2 sh=$3 click=$4 keys=$5 caption=$6 least=$7 ini=$8 title_least
    shift 8
    start "$name" "$ini" SPEEDMETRIX_TEST_CLICK="$click" "$@"
    if [ "$keys" != none ]; then
        wait_for_dialog "$name" "Save under what name ?" || { stop "$name"; return; }
        xdotool key "$keys"
    fi
    wait_for_dialog "$name" "$caption" || { stop "$name"; return; }
    read -r fx fy fw fh < <(frame_of "$dialog")
    printf '%-26s frame %s,%s %sx%s on %sx%s\n' "$name" "$fx" "$fy" "$fw" "$fh" "$sw" "$sh"
    shot "$name"
    stop "$name"
    { [ "$fx" -ge 0 ] && [ "$fy" -ge 0 ] && [ $((fx + fw)) -le "$sw" ] && [ $((fy + fh)) -le "$sh" ]; } ||
        fail "$name: the frame $fx,$fy ${fw}x$fh is not wholly on the ${sw}x$sh screen"
    within_1() { [ $(($1 - $2)) -le 1 ] && [ $(($2 - $1)) -le 1 ]; }
    within_1 $((2 * fx + fw)) "$sw" && within_1 $((2 * fy + fh)) "$sh" ||
        fail "$name: the frame's centre $(((2 * fx + fw) / 2)),$(((2 * fy + fh) / 2)) is not the screen's $((sw / 2)),$((sh / 2))"
    # The title in the window manager's bold 8-point font, beside the icon and three buttons.
    title_least=$((7 * ${#caption} + 90))
    [ "$fw" -ge "$title_least" ] || fail "$name: $fw pixels wide, too narrow for its title \"$caption\""
    [ "$fw" -ge "$least" ] || [ "$fw" -ge $((sw - 2)) ] || fail "$name: $fw pixels wide, narrower than its longest line ($least)"
}
long_name=$(printf 'W%.0s' $(seq 120))' '$(printf 'M%.0s' $(seq 134))
for screen in 1024x768 1280x1024 1920x1080; do
    sw=${screen%x*}
    sh=${screen#*x}
    # A server of that size of its own, with its own window manager.
    start_xvfb "$screen"
    wait_for 10 own_display || retry_or_fail "Xvfb is not answering on $DISPLAY"
    start_openbox
    box_case "data-copied-$screen" "$sw" "$sh" Copy_Results_Data_to_Windows_Clipboard_Option none \
        "Windows PC Speedmetrix v1.3f" 820 ""
    box_case "save-name-$screen" "$sw" "$sh" Save_Results_BitBtn none "Save under what name ?" 0 \
        "$(printf '[Speedmetrix]\nSelected_INI_Section=%s\n' "$long_name")"
    box_case "saved-long-name-$screen" "$sw" "$sh" Save_Results_BitBtn Return "Information" 0 \
        "$(printf '[Speedmetrix]\nSelected_INI_Section=%s\n' "$long_name")"
    box_case "no-tests-$screen" "$sw" "$sh" Benchmark_BitBtn none "Windows PC Speedmetrix v1.3f" 0 "" \
        "$only_integer,Integer_Arithmetic_CheckBox=0,Dont_Show_This_Again_CheckBox=1"
done

own_display || retry_or_fail "Xvfb is gone"
[ "$failures" -eq 0 ] || retry_or_fail "$failures checks failed"
echo "all dialog, window-size, scaling, border-button and box checks hold"
