#!/usr/bin/env bash
# Real long screenshots under Wine + Xvfb: tallyframe.exe is started, Start is
# pressed (Enter on the home page), a rectangle is dragged over the fixture
# window that shows a bundled page, and the saved PNG is compared with the
# page the fixture showed over the span it scrolled (same size, fewer than
# 0.5 % of pixels off by a luma of 9 or more).
#
#   tests/e2e/capture_e2e.sh [case ...]      cases: plain smooth bands tallheader
#                                            panel late short esc cancel fewrows logging
#                                            bandmargins bignotch bignotchbars sticky badge
#                                            message keys top endless endlesssize live
#                                            sideways sidewaysbands sidewaysshift
#                                            sidewaysmessage sidewayskeys
#                                            smooth150 smooth400 lazy restless
#                                            sidewayssmooth150 sidewayssmooth400 sidewayslazy
#                                            sidewaysrestless tall (default: all)
# Environment:
#   TF_E2E_BUILD    Windows build folder (default build/e2e-win; built here)
#   TF_E2E_EXE      the tallyframe.exe to drive (default the one in TF_E2E_BUILD)
#   TF_E2E_WORK     results (default build/e2e-capture)
#   TF_WINE_PREFIX  Wine prefix (default build/wine/prefix)
#   TF_E2E_SHOTS=1  also take screenshots of the selection, capture and saving views
#   TF_COMPARE_TRUTH  the image comparison (default build/native/tests/compare_truth)
#   TF_MAKE_TALL_PAGE the tall case's page maker (default beside TF_COMPARE_TRUTH)
#   TF_E2E_OWN_DISPLAY=1  run on the current DISPLAY (an Xvfb of your own) instead of a fresh one
set -u
repo="$(cd "$(dirname "$0")/../.." && pwd)"
build="${TF_E2E_BUILD:-$repo/build/e2e-win}"
work="${TF_E2E_WORK:-$repo/build/e2e-capture}"
page="$repo/tests/data/corpus/debref-ch05/truth.png"
# The sideways cases show a page that is wider than tall and scrolls right.
wide_page="$repo/tests/data/sideways/debref-ch02-wide-table/truth.png"
cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=(plain smooth bands tallheader panel late short esc cancel fewrows logging bandmargins bignotch bignotchbars sticky badge message keys top endless endlesssize live
                                 sideways sidewaysbands sidewaysshift sidewaysmessage sidewayskeys
                                 smooth150 smooth400 lazy restless sidewayssmooth150 sidewayssmooth400 sidewayslazy sidewaysrestless tall)

label=capture-e2e
. "$repo/tests/e2e/gui_e2e_lib.sh"
e2e_prepare 1 1

write_settings() {  # folder logging [line...]
    local folder="$1" logging="$2"; shift 2
    write_settings_lines "captureFolder=$(tf_winpath "$folder")" language=en-US openAfterCapture=0 \
        "captureLoggingEnabled=$logging" "$@"
}

# Compares the capture with the fixture's truth. mode: exact | shorter N (the
# capture may lack up to N rows at the bottom) | prefix (a stopped capture: any
# leading part of the truth at least one frame high). With a side panel of
# `panel` columns only the columns beside it are compared with the truth, and
# below the first frame (`frame` rows) each panel column must be one colour:
# the panel is in the image once, not in slices.
# Sideways (compare_sideways=1) the images are compared on their side.
# With badge_box set ("X0 X1 R0 R1", see compare_truth) the badge's box in the
# last frame is left out: the animation was on the screen, not on the page.
compare_sideways=0 badge_box=""
compare() {  # out truth mode [n [panel frame]]
    local opts=()
    [ "$compare_sideways" = 1 ] && opts+=(--sideways)
    # shellcheck disable=SC2206
    [ -n "$badge_box" ] && opts+=(--leave-out-at-end $badge_box)
    "$compare_truth" --capture "${opts[@]}" "$@"
}

# The fixture rewrites its truth a second after the page last moved: current
# once the last move its log tells of is followed by a truth.
truth_current() {  # fixture-log
    [ "$(grep -E '^(pos|truth)=' "$1" | tail -1 | cut -c1-6)" = "truth=" ]
}

# The strip above the area, shot twice two seconds apart (the glyph's turn
# repeats every two seconds): its count and time must have moved on. Then
# shots as fast as they come for three seconds: how often the strip changed.
overlay_follows() {  # dir area-top
    local dir="$1" rows=$(($2 - 10)) ae changes=0 shots=0 last="" now
    import -window root -crop "1920x$rows+0+0" +repage "$dir/strip-a.png" 2>/dev/null
    sleep 2
    import -window root -crop "1920x$rows+0+0" +repage "$dir/strip-b.png" 2>/dev/null
    ae=$(command compare -metric AE "$dir/strip-a.png" "$dir/strip-b.png" null: 2>&1)
    echo "  overlay strip: $ae pixels changed in two seconds"
    [ "${ae:-0}" != 0 ] || { echo "  the overlay did not change while capturing"; return 1; }
    local until=$(( $(date +%s%N) / 1000000 + 3000 ))
    while [ $(( $(date +%s%N) / 1000000 )) -lt $until ]; do
        import -window root -crop "1920x$rows+0+0" +repage "$dir/strip-n.png" 2>/dev/null || continue
        shots=$((shots + 1))
        now=$(md5sum < "$dir/strip-n.png")
        [ "$now" != "$last" ] && changes=$((changes + 1))
        last="$now"
    done
    echo "  overlay strip: $changes different pictures in $shots shots over 3 s"
}

# From the release of the drag to the first grab, as the first dump's time says.
first_grab_delay() {  # logdir
    local grabbed
    grabbed=$(stat -c %.9Y "$1/0000-initial.png" 2>/dev/null) || return 0
    echo "  first grab: $(printf '%.0f' "$(echo "($grabbed - $released) * 1000" | bc)") ms after the release"
}

run_case() {
    local name="$1"
    local dir="$work/$name"
    rm -rf "$dir"; mkdir -p "$dir/out"
    local args=() rect mode="exact" n=0 logging=0 panel=0 method="" settings=() direction="" limit="" pixels="" least="" badge=0
    unset TALLYFRAME_TEST_FRAME_LIMIT TALLYFRAME_TEST_PIXEL_LIMIT
    # Sideways: the fixture's page is the wide one, on a narrower window so
    # that it scrolls over more than its own width; the program starts with
    # the direction from its settings.
    local page="$page" FW="$FW"
    if [[ "$name" == sideways* ]]; then
        page="$wide_page" FW=700 direction=" direction=right"
        args=(--sideways) settings=(captureDirection=right)
    fi
    compare_sideways=0; [ -n "$direction" ] && compare_sideways=1
    # The rectangle: inside the client area, clear of the fixed bands unless
    # the case is about them.
    local x1=$((FX + 40)) y1=$((FY + 10)) x2=$((FX + FW - 60)) y2=$((FY + FH - 10))
    case "$name" in
        plain|cancel) ;;
        smooth) args=(--smooth 450) ;;
        bands) args=(--header 44 --footer 32 --caret); y1=$FY; y2=$((FY + FH)) ;;
        # A header taller than a tenth of the rectangle (a sticky site bar).
        tallheader) args=(--header 110 --footer 32); y1=$FY; y2=$((FY + FH)) ;;
        # A fixed table of contents over the rectangle's left 200 columns.
        panel) args=(--left-panel 200); x1=$FX; panel=200 ;;
        late) args=(--late 350) ;;
        short) args=(--end 200) ;;
        esc) ;;
        # The last notch moves 3 rows: the image must hold them too.
        fewrows) args=(--end 203) ;;
        # Fixed bars with blank rows beside them, which read as part of the bands.
        bandmargins) args=(--header 44 --footer 32 --band-margin 24); y1=$FY; y2=$((FY + FH)) ;;
        # Each notch moves 80 % of the rectangle: overlaps of 120 rows.
        bignotch) args=(--notch 480) ;;
        # Both: bars with margins, and notches of 380 of the 496 rows between them.
        bignotchbars) args=(--notch 380 --header 44 --footer 32 --band-margin 24); y1=$FY; y2=$((FY + FH)) ;;
        # Section headings that stick to the top and push each other away.
        sticky) args=(--sticky) ;;
        # An animated badge inside the compared columns.
        badge) args=(--badge); badge=48 ;;
        logging) logging=1 method=wheel; rm -rf "$build/tally_frame_log" ;;
        # Windows that ignore the wheel: the capture must find the way that
        # scrolls them, and its log must say which.
        message) args=(--scroll-by message); logging=1 method=scrollBarMessage; rm -rf "$build/tally_frame_log" ;;
        keys) args=(--scroll-by keys); logging=1 method=arrowKey; rm -rf "$build/tally_frame_log" ;;
        # A page opened halfway down, captured from its top on request.
        top) args=(--scroll-by message --start 600); settings=(startFromTop=1); logging=1 method=scrollBarMessage; rm -rf "$build/tally_frame_log" ;;
        # The overlay follows the capture while it runs (the GUI thread is
        # free), and the first frame is grabbed soon after the release.
        live) logging=1 method=wheel; rm -rf "$build/tally_frame_log" ;;
        # Scrolling right with the horizontal wheel, every rule turned on its side.
        sideways) logging=1 method=wheel; rm -rf "$build/tally_frame_log" ;;
        # A frozen first column (the fixture's header, turned) pasted once, and
        # a fixed bar over the top rows (its side panel, turned) kept whole.
        sidewaysbands) args+=(--header 60 --footer 24 --left-panel 90); x1=$FX; x2=$((FX + FW)); y1=$FY; panel=90 ;;
        # A window that ignores the horizontal wheel but takes Shift + wheel,
        # one that takes only WM_HSCROLL, and one that takes only the Right key.
        sidewaysshift) args+=(--scroll-by shift-wheel); logging=1 method=shiftWheel; rm -rf "$build/tally_frame_log" ;;
        sidewaysmessage) args+=(--scroll-by message); logging=1 method=scrollBarMessage; rm -rf "$build/tally_frame_log" ;;
        sidewayskeys) args+=(--scroll-by keys); logging=1 method=arrowKey; rm -rf "$build/tally_frame_log" ;;
        # The pace follows the picture: smooth scrolling that takes a while to
        # end, rows that show a grey placeholder for 250 ms after the page
        # stopped (none of it may reach the image), and an animation large
        # enough that the picture never rests.
        smooth150|smooth400|sidewayssmooth150|sidewayssmooth400) args+=(--smooth "${name##*smooth}") ;;
        lazy|sidewayslazy) args+=(--lazy 250) ;;
        restless|sidewaysrestless) args+=(--badge-size 100); badge=100 ;;
        # A page that never ends: the capture stops at its frame limit and
        # saves the frames it kept. The limit is lowered for the test only,
        # through a variable of the program's environment, so that it is
        # reached in seconds.
        endless) args=(--endless); logging=1 method=wheel limit=12; rm -rf "$build/tally_frame_log"
                 export TALLYFRAME_TEST_FRAME_LIMIT=$limit ;;
        # The same page against the size limit: room for the first frame
        # and about four frames' worth more, so it ends before the frames do.
        endlesssize) args=(--endless); logging=1 method=wheel; rm -rf "$build/tally_frame_log"
                 pixels=$(( (x2 - x1) * (y2 - y1) * 5 ))
                 export TALLYFRAME_TEST_PIXEL_LIMIT=$pixels ;;
        # A page of some 41,700 rows in frames of 300: more than a hundred of
        # them (about 70 s), joined while the capture runs. The page is random grey blocks,
        # so that no stretch of it looks like another; the fixture reads at
        # most 32,768 rows, so it shows one of 21,000 twice and stops there.
        tall) page="$work/tall-page.png" least=101; y2=$((y1 + 300)); logging=1 method=wheel
              args=(--endless --end 41400); rm -rf "$build/tally_frame_log"
              [ -f "$page" ] || "${TF_MAKE_TALL_PAGE:-$(dirname "$compare_truth")/make_tall_page}" "$FW" 21000 "$page" ||
                  { echo "  could not make the tall page"; return 1; } ;;
        *) echo "unknown case $name"; return 1 ;;
    esac
    # The frame refused at the size limit was scrolled to: the page went on past the image.
    [ "$name" = esc ] || [ "$name" = endlesssize ] && mode=prefix
    # The bench reads the settle period a capture learnt from its log.
    if [ "${TF_E2E_LOGGING:-0}" = 1 ] && [ "$logging" = 0 ]; then
        logging=1 method="${method:-wheel}"; rm -rf "$build/tally_frame_log"
    fi
    badge_box=""
    if [ "$badge" != 0 ]; then
        # The fixture draws the badge 220 columns in and 42 rows above the
        # view's end, in the page's own orientation: sideways its rows run
        # along the screen's x. One pixel more on every side for smoothing.
        local across=$((x1 - FX)) along_end=$((y2 - FY)) view_end=$FH
        if [ -n "$direction" ]; then across=$((y1 - FY)) along_end=$((x2 - FX)) view_end=$FW; fi
        local from=$((view_end - 42 - badge)) to=$((view_end - 42)) r0
        r0=$((along_end - to - 1)); [ $r0 -lt 0 ] && r0=0
        badge_box="$((220 - across - 1)) $((220 - across + badge + 1)) $r0 $((along_end - from + 1))"
    fi
    write_settings "$dir/out" "$logging" "${settings[@]}"
    start_fixture "$dir" $x1 $y1 $((x2 - x1)) $((y2 - y1)) "${args[@]}" || return 1
    local started released=""
    started=$(date +%s.%N)
    start_app || return 1
    press_start
    local try
    for try in 1 2 3; do
        if [ $try = 1 ]; then drag_press $x1 $y1 $x2 $y2 "$name"; else drag_press $x1 $y1 $x2 $y2; fi
        if [ "$name" = cancel ]; then
            xdotool key Escape
            sleep 3
            xdotool mouseup 1
            has_png "$dir/out"; local made=$?
            shot "$name-home"
            [ $made != 0 ]; return $?
        fi
        drag_release $x2 $y2
        released=$(date +%s.%N)
        wait_for 4 log_has "$dir/fixture.log" "$scroll_input" && break
        echo "  drag $try did not start a capture"
    done
    if [ "$name" = esc ]; then
        sleep 4
        xdotool keydown Escape; sleep 0.3; xdotool keyup Escape
    elif [ "$name" = live ]; then
        overlay_follows "$dir" "$y1" || return 1
    elif [ "${TF_E2E_SHOTS:-0}" = 1 ] || [ "$name" = plain ] || [ "$name" = sideways ]; then
        # A look at the capture under way, once its overlay is up.
        sleep 1.2
        shot "$name-capturing"
        if [ "$name" = plain ] || [ "$name" = sideways ]; then
            import -window root "$dir/capturing.png" 2>/dev/null
            arrow_points "$dir/capturing.png" $x1 $y1 $x2 $y2 "${direction:+right}" || return 1
        fi
    fi
    if [ "${TF_E2E_SHOTS:-0}" = 1 ]; then
        # The saving view lasts a moment only: keep grabbing the screen until the file exists.
        local k=0
        until has_png "$dir/out" || [ $k -ge 400 ]; do import -window root "$dir/s$((k % 6)).png" 2>/dev/null; k=$((k + 1)); done
    fi
    wait_for 180 has_png "$dir/out" || { echo "  no image was saved"; shot "$name-timeout"; return 1; }
    local png
    # The image appears whole (it is written under another name and renamed),
    # and the capture log was closed before the save began.
    png=$(compgen -G "$dir/out/tallyframe-*.png" | head -1)
    # The program's peak memory: the resident high-water mark of its process
    # (the Wine process that the launcher became), Wine's own share included.
    local peak
    peak=$(awk '/^VmHWM:/ {printf "%.0f", $2 / 1024}' "/proc/$app/status" 2>/dev/null)
    local ended
    ended=$(date +%s.%N)
    shot "$name-result"
    wait_for 5 truth_current "$dir/fixture.log" || echo "  the fixture wrote no truth after the page last moved"
    local size
    size=$(identify -format '%wx%h' "$png" 2>/dev/null)
    echo "  PNG: $png ($size, $(stat -c %s "$png") bytes, $(printf '%.1f' "$(echo "$ended - $started" | bc)") s)"
    echo "  peak memory: ${peak:-?} MiB (VmHWM of the program's process)"
    echo "  fixture: $(grep -c "$scroll_input" "$dir/fixture.log") inputs, $(grep '^truth=' "$dir/fixture.log" | tail -1)"
    # What bench/capture_pace.sh reads: the rectangle accepted to the file written.
    echo "  pace: $(printf '%.2f' "$(echo "$(date -r "$png" +%s.%N) - $released" | bc)") s from the rectangle to the file"
    local frame=$((y2 - y1)); [ -n "$direction" ] && frame=$((x2 - x1))
    compare "$png" "$dir/truth.png" "$mode" "$n" "$panel" $frame; local rc=$?
    if [ "${TF_E2E_SHOTS:-0}" = 1 ] && wait_for 10 main_visible; then sleep 1; shot "$name-result-page"; fi
    if [ "$logging" = 1 ] && [ $rc = 0 ]; then
        local logdir header
        logdir=$(ls -d "$build"/tally_frame_log/*/ 2>/dev/null | tail -1)
        if [ -z "$logdir" ] || [ ! -f "$logdir/capture.log.txt" ]; then
            echo "  no capture log folder"; rc=1
        elif header=$(head -1 "$logdir/capture.log.txt" | tr -d '\r') &&
             ! [[ "$header" =~ ^wheelScrollLines=[0-9]+\ wheelDelta=-?[0-9]+\ scrollMethod=$method$direction$ ]]; then
            echo "  log header \"$header\" does not end scrollMethod=$method$direction"; rc=1
        else
            echo "  log header: $header"
            echo "  log: $logdir ($(ls "$logdir" | grep -c '\.png$') grabs, $(wc -l < "$logdir/capture.log.txt") lines)"
            echo "  settle: $(grep -o 'settleMs=[0-9]*' "$logdir/capture.log.txt" | tail -1 | cut -d= -f2) ms learnt"
            # ImageMagick, which compares the offline stitch, reads at most 16,000 rows.
            if [ -z "$least" ]; then restitch_matches "$logdir" "$png" "$dir/offline.png"; rc=$?; fi
            first_grab_delay "$logdir"
        fi
        local summary want="acceptedFrames=$limit reachedEnd=0 finishRequested=0 error="
        summary=$(tail -1 "$logdir/capture.log.txt" 2>/dev/null | tr -d '\r')
        if [ $rc = 0 ] && [ -n "$limit" ] && [ "$summary" != "$want" ]; then
            echo "  log summary \"$summary\", not \"$want\""; rc=1
        fi
        if [ $rc = 0 ] && [ -n "$least" ] && ! [[ "$summary" =~ ^acceptedFrames=([0-9]+)\ reachedEnd=1 ]] ; then
            echo "  log summary \"$summary\" does not reach the end"; rc=1
        elif [ $rc = 0 ] && [ -n "$least" ] && [ "${BASH_REMATCH[1]}" -lt "$least" ]; then
            echo "  only ${BASH_REMATCH[1]} frames, not $least or more"; rc=1
        elif [ $rc = 0 ] && [ -n "$least" ]; then
            echo "  ${BASH_REMATCH[1]} frames"
        fi
        # Stopped by the size limit: not at the page's end, not by a person,
        # with more than one frame and an image within the limit.
        if [ $rc = 0 ] && [ -n "$pixels" ]; then
            local w h
            IFS=x read -r w h <<< "$size"
            if ! [[ "$summary" =~ ^acceptedFrames=([0-9]+)\ reachedEnd=0\ finishRequested=0\ error=$ ]] ||
               [ "${BASH_REMATCH[1]}" -lt 2 ] || [ $((w * h)) -gt "$pixels" ]; then
                echo "  log summary \"$summary\" and a ${w}x${h} image do not stop at $pixels pixels"; rc=1
            else
                echo "  stopped at the size limit: ${BASH_REMATCH[1]} frames, $((w * h)) of $pixels pixels"
            fi
        fi
    fi
    unset TALLYFRAME_TEST_FRAME_LIMIT TALLYFRAME_TEST_PIXEL_LIMIT
    return $rc
}

run_cases "${cases[@]}"
