#!/usr/bin/env bash
# Manual captures under Wine + Xvfb: tallyframe.exe runs with scrollMode=manual,
# Start is pressed, a rectangle is dragged over the fixture window (smooth
# scrolling on), and a person is played with wheel clicks sent to the fixture
# (`xdotool click 5` arrives as WM_MOUSEWHEEL) in bursts of one to six with
# pauses between; Esc finishes. The saved PNG must equal the fixture's truth
# over the span it scrolled.
#
#   tests/e2e/manual_capture_e2e.sh [case ...]
#     cases: pace        irregular bursts and pauses, Esc (English)
#            toofar      a burst past the frame, the strip warns, back up, on, Esc
#            pace_zh     as pace, Chinese interface
#            toofar_zh   as toofar, Chinese interface
#            idle        processor time of the program over 10 s of standing still
#            stuck       automatic mode on a window that ignores the wheel: one
#                        frame saved, and the result page says why (English)
#            stuck_zh    as stuck, Chinese interface
#            sideways    as pace on a wide page scrolled right with the horizontal
#                        wheel (`xdotool click 7`), the direction set to right
#            sideways_motion  the same with the direction left at down: the
#                        person's first motion decides
#            (default: pace toofar pace_zh toofar_zh stuck sideways sideways_motion)
# Environment:
#   TF_E2E_BUILD    Windows build folder with the fixture (default build/e2e-win; built here)
#   TF_E2E_WORK     results (default build/e2e-manual)
#   TF_E2E_SHOTS=1  screenshots of the strip (following, warning) in each case
#   TF_E2E_LOGGING=1  capture logging on (logs beside the exe, in tally_frame_log)
#   TF_COMPARE_TRUTH  the image comparison (default build/native/tests/compare_truth)
# Uses the X display in DISPLAY when it is usable, else starts one.
set -u
repo="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(realpath -m "${TF_E2E_BUILD:-$repo/build/e2e-win}")"
work="$(realpath -m "${TF_E2E_WORK:-$repo/build/e2e-manual}")"
page="$repo/tests/data/corpus/debref-ch05/truth.png"
cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=(pace toofar pace_zh toofar_zh stuck sideways sideways_motion)
wide_page="$repo/tests/data/sideways/debref-ch02-wide-table/truth.png"

label=manual-e2e
. "$repo/tests/e2e/gui_e2e_lib.sh"
e2e_prepare 0 1

# The rectangle dragged inside the fixture's client area.
X1=$((FX + 40)) Y1=$((FY + 10)) X2=$((FX + FW - 60)) Y2=$((FY + FH - 10))
# Rows per wheel click: a burst of six (360 rows) still leaves 240 rows of
# overlap with the picture before it, however late the program looks; with
# 100-row clicks a six-click burst leaves none, and whether the program saw
# the page on its way would depend on the machine's load.
NOTCH=60
write_settings() {  # folder language scrollMode logging [line...]
    local folder="$1" language="$2" mode="$3" logging="$4"; shift 4
    write_settings_lines "captureFolder=$(tf_winpath "$folder")" "language=$language" openAfterCapture=0 \
        "captureLoggingEnabled=$logging" "scrollMode=$mode" "$@"
}

notches() { grep -c "$scroll_input" "$1" 2>/dev/null; }

# A burst of n wheel clicks over the rectangle's middle; onward (5 down, or 7
# right when the case scrolls sideways) or back (4 up, 6 left), 35 ms apart
# unless a delay is given.
onward=5 back=4
burst() {  # n [button [delay-ms]]
    xdotool click --repeat "$1" --delay "${3:-35}" "${2:-$onward}"
}

# The processor time (user + system, clock ticks) of a process.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null; }
# The pid of the program's own Windows process: a descendant of the launch
# shell whose command line names the exe.
program_pid() {
    local p queue=("$1") found=""
    while [ ${#queue[@]} -gt 0 ]; do
        p=${queue[0]}; queue=("${queue[@]:1}")
        if tr '\0' ' ' < "/proc/$p/cmdline" 2>/dev/null | grep -q 'tallyframe\.exe'; then found=$p; fi
        local c
        for c in $(cat /proc/"$p"/task/*/children 2>/dev/null); do queue+=("$c"); done
    done
    echo "$found"
}

finish_with_esc() {
    # Held over a poll: the pressed-since bit can show a poll late under Wine.
    xdotool keydown Escape; sleep 0.3; xdotool keyup Escape
}

run_case() {
    local name="$1" language=en-US scroll_mode=manual notch=$NOTCH
    local dir="$work/$name"
    rm -rf "$dir"; mkdir -p "$dir/out"
    # Sideways: the wide page on a narrower window, scrolled with the
    # horizontal wheel; the fixture's log and the images are turned likewise.
    local page="$page" FW="$FW" X2="$X2" sideways=() settings=() compare_args=()
    onward=5 back=4
    if [[ "$name" == sideways* ]]; then
        page="$wide_page" FW=700 X2=$((FX + 700 - 60)) sideways=(--sideways) compare_args=(--sideways)
        onward=7 back=6
        [ "$name" = sideways ] && settings=(captureDirection=right)
    fi
    case "$name" in
        pace|toofar|idle) ;;
        pace_zh|toofar_zh) language=zh-CN ;;
        stuck) scroll_mode=auto notch=0 ;;
        stuck_zh) scroll_mode=auto notch=0 language=zh-CN ;;
        sideways|sideways_motion) ;;
        *) echo "unknown case $name"; return 1 ;;
    esac
    # The too-far cases read the capture log to see that the strip warned; the
    # sideways ones, that it says which way the page went.
    local logging="${TF_E2E_LOGGING:-0}"
    case "$name" in toofar|toofar_zh|sideways*) logging=1 ;; esac
    write_settings "$dir/out" "$language" "$scroll_mode" "$logging" "${settings[@]}"
    local logs_before
    logs_before=$(ls "$build/tally_frame_log" 2>/dev/null)
    start_fixture "$dir" $X1 $Y1 $((X2 - X1)) $((Y2 - Y1)) --smooth 250 --notch $notch "${sideways[@]}" || return 1
    start_app || return 1
    press_start
    local try started=0 midx=$(((X1 + X2) / 2)) midy=$(((Y1 + Y2) / 2))
    for try in 1 2 3; do
        drag_press $X1 $Y1 $X2 $Y2
        drag_release $X2 $Y2
        sleep 1
        # The automatic loop sends its own notches (which this fixture ignores).
        if [ $scroll_mode = auto ]; then
            wait_for 4 log_has "$dir/fixture.log" "$scroll_input" && { started=1; break; }
            echo "  drag $try did not start a capture"; continue
        fi
        # The person's pointer goes over the page; a first click tells whether
        # the capture is on. Like a press, the first wheel click after the
        # overlay changed can be lost under Wine until the pointer has moved.
        local c
        for c in 1 2 3; do
            xdotool mousemove $((midx + 20 * c)) $((midy + 10 * c)); sleep 0.3
            xdotool mousemove $midx $midy; sleep 0.3
            burst 1; sleep 0.8
            if log_has "$dir/fixture.log" "$scroll_input"; then started=1; break; fi
        done
        [ $started = 1 ] && break
        echo "  drag $try did not reach the page"
    done
    [ $started = 1 ] || return 1
    shot "$name-following"
    local pid
    pid=$(program_pid "$app")

    case "$name" in
        stuck|stuck_zh)
            # The automatic loop ends by itself after its still probes.
            wait_for 30 has_png "$dir/out" || { echo "  no image was saved"; return 1; }
            # The result page with its hint, once the main window is back.
            wait_for 10 main_visible
            sleep 1
            shot "$name-result"
            sleep 4
            shot "$name-result-later"
            local png
            png=$(compgen -G "$dir/out/tallyframe-*.png" | head -1)
            echo "  PNG: $png ($(identify -format '%wx%h' "$png" 2>/dev/null)), fixture: $(notches "$dir/fixture.log") notches"
            "$compare_truth" --capture "$png" "$dir/truth.png" exact 0 0 $((Y2 - Y1))
            return $?
            ;;
        pace|pace_zh|sideways|sideways_motion)
            # Bursts of one to six clicks with pauses, irregular.
            local plan=(2:0.6 1:0.25 5:1.3 3:0.4 6:0.9 1:1.6 4:0.3 2:1.1)
            local step n p
            for step in "${plan[@]}"; do
                n=${step%%:*}; p=${step##*:}
                burst "$n"; sleep "$p"
            done
            sleep 1.2
            shot "$name-following-late"
            # The arrow turned the way the person's first motion went.
            if [ ${#sideways[@]} -gt 0 ]; then
                import -window root "$dir/following.png" 2>/dev/null
                arrow_points "$dir/following.png" $X1 $Y1 $X2 $Y2 right || return 1
            fi
            ;;
        toofar|toofar_zh)
            burst 3; sleep 1.2
            # Fifteen clicks (900 rows) within 75 ms: the page is past the
            # 600-row rectangle before the program looks again, and nothing of
            # the last kept frame stays in view.
            burst 15 "$onward" 5; sleep 1.5
            shot "$name-warning"
            # Back up until the picture overlaps the last kept frame by 240 rows.
            burst 9 "$back"; sleep 1.5
            shot "$name-back"
            burst 3; sleep 0.7
            burst 6; sleep 1.0
            burst 2; sleep 1.2
            ;;
        idle)
            burst 3; sleep 2.0
            # The grabs are X requests: the X server's time counts too when
            # its pid is known (started here, or given in TF_XSERVER_PID).
            local xpid="${TF_XSERVER_PID:-${TF_XVFB_PID:-}}"
            local t0 t1 x0="" x1=""
            t0=$(cpu_ticks "$pid"); [ -n "$xpid" ] && x0=$(cpu_ticks "$xpid")
            sleep 10
            t1=$(cpu_ticks "$pid"); [ -n "$xpid" ] && x1=$(cpu_ticks "$xpid")
            local hz; hz=$(getconf CLK_TCK)
            if [ -n "$t0" ] && [ -n "$t1" ]; then
                echo "  standing still 10 s: program pid $pid used $(( (t1 - t0) * 1000 / hz )) ms of processor time" \
                     "($(awk "BEGIN{printf \"%.1f\", ($t1 - $t0) * 100 / $hz / 10}") % of one core)"
            else
                echo "  could not read the program's processor time (pid '$pid')"
            fi
            if [ -n "$x0" ] && [ -n "$x1" ]; then
                echo "  X server pid $xpid over the same 10 s: $(( (x1 - x0) * 1000 / hz )) ms (shared with other clients)"
            fi
            ;;
    esac

    finish_with_esc
    wait_for 60 has_png "$dir/out" || { echo "  no image was saved"; shot "$name-timeout"; return 1; }
    local png
    png=$(compgen -G "$dir/out/tallyframe-*.png" | head -1)
    # The result page, once the main window is back.
    wait_for 10 main_visible
    sleep 1
    shot "$name-result"
    # The fixture rewrites its truth a second after the page stopped.
    sleep 1.5
    echo "  PNG: $png ($(identify -format '%wx%h' "$png" 2>/dev/null))"
    echo "  fixture: $(notches "$dir/fixture.log") notches, $(grep '^truth=' "$dir/fixture.log" | tail -1)"
    local frame=$((Y2 - Y1)); [ ${#sideways[@]} -gt 0 ] && frame=$((X2 - X1))
    "$compare_truth" --capture "${compare_args[@]}" "$png" "$dir/truth.png" exact 0 0 $frame || return 1
    case "$name" in
        toofar|toofar_zh)
            # A lost overlap (action 3) was logged, and the capture went on past it.
            local folder log
            folder=$(comm -13 <(echo "$logs_before") <(ls "$build/tally_frame_log" 2>/dev/null) | tail -1)
            log="$build/tally_frame_log/$folder/capture.log.txt"
            if [ -z "$folder" ] || ! grep -q ' action=3 ' "$log"; then
                echo "  the capture log shows no scrolled-too-far verdict ($log)"; return 1
            fi
            echo "  the strip warned $(grep -c ' action=3 ' "$log") time(s); $(grep -o 'acceptedFrames=[0-9]*' "$log")"
            restitch_matches "$build/tally_frame_log/$folder" "$png" "$dir/restitched.png" || return 1
            ;;
        sideways*)
            local folder header
            folder=$(comm -13 <(echo "$logs_before") <(ls "$build/tally_frame_log" 2>/dev/null) | tail -1)
            header=$(head -1 "$build/tally_frame_log/$folder/capture.log.txt" 2>/dev/null | tr -d '\r')
            [[ "$header" == *" scrollMethod=person direction=right" ]] || {
                echo "  the capture log's header \"$header\" does not say the person scrolled right"; return 1; }
            echo "  log header: $header"
            # No --direction: the header alone must turn the stitch.
            restitch_matches "$build/tally_frame_log/$folder" "$png" "$dir/restitched.png" || return 1
            ;;
    esac
}

run_cases "${cases[@]}"
