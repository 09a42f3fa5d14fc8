# Shared by the end-to-end scripts that drive the real program and the scroll
# fixture under Wine + Xvfb. Sourced, not run: the script sets `repo`, `build`
# (the Windows build folder with the fixture), `work` (results), `page` (the
# page the fixture shows) and `label` (its name in messages) first, then calls
# e2e_prepare. The scripts that run the program without a window source it
# for check alone.

# Counts one check in pass or fail; a failed one is named.
check() { if "$@"; then pass=$((pass + 1)); else fail=$((fail + 1)); echo "FAIL: $*"; fi; }

# The fixture's client area on screen.
FX=200 FY=200 FW=1000 FH=620
# A fixture log line of a scrolling input sent to it (taken or ignored).
scroll_input='^\(wheel\|hwheel\|shiftwheel\|vscroll\|hscroll\|key\)='

# Builds the program and the fixture, finds the image comparison, and starts
# the Wine prefix and an X display. With fresh=1 the display is always a new
# Xvfb (unless TF_E2E_OWN_DISPLAY=1), else a usable DISPLAY is kept. With
# compositor=1 an X compositor runs as well, as a desktop would.
e2e_prepare() {  # fresh compositor
    "$repo/scripts/bootstrap.sh" >/dev/null || exit 1
    if [ ! -f "$build/build.ninja" ]; then
        cmake --preset windows -B "$build" -DTALLYFRAME_TESTS=ON >/dev/null || exit 1
    fi
    # TF_E2E_EXE runs a program built elsewhere (the run command's own build)
    # against this build's fixture.
    local targets=(tallyframe tallyframe_fixture)
    [ -n "${TF_E2E_EXE:-}" ] && targets=(tallyframe_fixture)
    cmake --build "$build" -j2 --target "${targets[@]}" >/dev/null || {
        echo "$label: build failed"; exit 1; }
    exe="$(realpath -m "${TF_E2E_EXE:-$build/tallyframe.exe}")"
    fixture="$build/tests/fixture/tallyframe_fixture.exe"
    compare_truth="${TF_COMPARE_TRUTH:-$repo/build/native/tests/compare_truth}"
    [ -x "$compare_truth" ] || { echo "$label: no $compare_truth (build the native preset)"; exit 1; }

    . "$repo/scripts/wine-env.sh"
    tf_wine_prefix
    if [ "$1" = 1 ] && [ "${TF_E2E_OWN_DISPLAY:-0}" != 1 ]; then unset DISPLAY; fi
    tf_xvfb || exit 1
    compositor=""
    if [ "$2" = 1 ] && command -v xcompmgr >/dev/null; then xcompmgr -n >/dev/null 2>&1 & compositor=$!; fi
    trap e2e_cleanup EXIT
    mkdir -p "$work"
    settings_dir="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Quorvelle/Tallyframe"
    pass=0 fail=0
}

e2e_cleanup() {
    "$TF_WINESERVER" -k >/dev/null 2>&1
    [ -n "$compositor" ] && kill "$compositor" 2>/dev/null
    tf_xvfb_stop
}

# settings.ini from its lines (key=value), CR LF ended as the program writes it.
write_settings_lines() {  # line...
    mkdir -p "$settings_dir"
    { printf '[general]\r\n'; printf '%s\r\n' "$@"; } > "$settings_dir/settings.ini"
}

wait_for() {  # seconds command...
    local limit=$(( $1 * 10 )) i=0; shift
    while ! "$@"; do i=$((i + 1)); [ $i -ge $limit ] && return 1; sleep 0.1; done
}
has_png() { compgen -G "$1/tallyframe-*.png" >/dev/null; }
log_has() { grep -q "$2" "$1" 2>/dev/null; }
shot() { [ "${TF_E2E_SHOTS:-0}" = 1 ] && import -window root "$work/$1.png" 2>/dev/null; return 0; }
main_id() { xdotool search --onlyvisible --name '^(Tallyframe|塔利帧)$' 2>/dev/null | head -1; }
main_visible() { [ -n "$(main_id)" ]; }

# The fixture showing `page` at FX,FY, logging to dir/fixture.log and writing
# its truth over the rectangle given.
start_fixture() {  # dir x y w h [fixture args...]
    local dir="$1" rx="$2" ry="$3" rw="$4" rh="$5"; shift 5
    "$TF_WINE" "$fixture" --page "$(tf_winpath "$page")" --log "$(tf_winpath "$dir/fixture.log")" \
        --x $FX --y $FY --width $FW --height $FH --truth "$(tf_winpath "$dir/truth.png")" \
        --rect "$rx" "$ry" "$rw" "$rh" "$@" >/dev/null 2>&1 &
    fixture_pid=$!
    wait_for 30 log_has "$dir/fixture.log" '^truth=\|^pos=' || { echo "  fixture did not start"; return 1; }
}

start_app() {
    (cd "$build" && exec "$TF_WINE" "$exe" >/dev/null 2>&1) &
    app=$!
    wait_for 30 main_visible || { echo "  main window did not appear"; return 1; }
    sleep 1
}

# The id found first can belong to a window that is already going away (X
# reports BadWindow): look it up again until focusing it works.
focus_main() {
    local k main
    for k in 1 2 3 4 5; do
        main=$(main_id)
        if [ -n "$main" ] && xdotool windowfocus "$main" 2>/dev/null; then return 0; fi
        sleep 0.5
    done
    echo "  could not focus the main window"; return 1
}

# Enter on the home page starts the selection once the window has the keyboard.
press_start() {
    focus_main
    sleep 0.3
    xdotool key Return
    sleep 1.5
}

# The first half of dragging the capture rectangle: under Wine without a
# window manager the first press after the overlay appears can be lost until
# the pointer has moved over it, so the pointer moves first. With a name, the
# idle and the dragging selection are shot.
drag_press() {  # x1 y1 x2 y2 [name]
    xdotool mousemove $(($1 + 200)) $(($2 + 100)); sleep 0.4
    xdotool mousemove $(($1 + 260)) $(($2 + 140)); sleep 0.4
    [ -n "${5:-}" ] && shot "$5-selection-idle"
    xdotool mousemove "$1" "$2"; sleep 0.3
    xdotool mousedown 1; sleep 0.3
    xdotool mousemove $((($1 + $3) / 2)) $((($2 + $4) / 2)); sleep 0.3
    [ -n "${5:-}" ] && shot "$5-selection-drag"
    return 0
}

drag_release() {  # x2 y2
    xdotool mousemove "$1" "$2"; sleep 0.3
    xdotool mouseup 1
}

# The whole drag, again while no wheel notch reached the fixture (an automatic
# capture notches at once).
drag_until_notched() {  # dir x1 y1 x2 y2
    local try
    for try in 1 2 3; do
        drag_press "$2" "$3" "$4" "$5"
        drag_release "$4" "$5"
        wait_for 4 log_has "$1/fixture.log" "$scroll_input" && return 0
        echo "  drag $try did not start a capture"
    done
    return 1
}

stop_case() {
    kill "$app" "$fixture_pid" 2>/dev/null
    "$TF_WINESERVER" -k >/dev/null 2>&1
    wait "$app" "$fixture_pid" 2>/dev/null
}

# Pixels of exactly the capture's blue in a region of a screenshot: the
# arrow's dot and chevron are drawn opaque in it, while the page's links are
# another blue whose soft edges come near it (within 2 %) a dozen times.
blue_pixels() {  # png w h x y
    convert "$1" -crop "$2x$3+$4+$5" +repage -fill black +opaque '#3566D6' -fill white -opaque '#3566D6' \
        -format '%[fx:round(mean*w*h)]' info: 2>/dev/null
}

# While capturing, the arrow beside the area points the way the page goes:
# right of the area for down, under it for right; never on the other side.
arrow_points() {  # png x1 y1 x2 y2 [right]
    local right_side below
    right_side=$(blue_pixels "$1" 40 $(($5 - $3)) $(($4 + 4)) "$3")
    below=$(blue_pixels "$1" $(($4 - $2)) 40 "$2" $(($5 + 4)))
    echo "  arrow: $right_side blue pixels right of the area, $below under it"
    # The arrow is some 170 pixels of that blue.
    if [ -n "${6:-}" ]; then [ "${below:-0}" -gt 60 ] && [ "${right_side:-99}" -lt 10 ]
    else [ "${right_side:-0}" -gt 60 ] && [ "${below:-99}" -lt 10 ]; fi
}

# A capture log folder holds the frames the capture kept and the log that
# says which way they go: the program's offline stitch of it must give the
# saved image pixel for pixel.
restitch_matches() {  # folder png out
    local ae
    [ -f "$exe" ] || { echo "  no $exe to stitch the capture log folder with"; return 1; }
    "$TF_WINE" "$exe" --stitch "$(tf_winpath "$1")" "$(tf_winpath "$3")" >/dev/null 2>&1 ||
        { echo "  --stitch on the capture log folder failed"; return 1; }
    # ImageMagick's compare, not a script's own function of that name.
    ae=$(command compare -metric AE "$2" "$3" null: 2>&1)
    [ "$ae" = 0 ] || { echo "  --stitch on the capture log folder differs from the saved image by $ae pixels"; return 1; }
    echo "  --stitch on the capture log folder gives the saved image pixel for pixel"
}

# Runs run_case for each case, reports each and the total; false when any failed.
run_cases() {  # case...
    local c rc
    for c in "$@"; do
        echo "case $c"
        app="" fixture_pid=""
        run_case "$c"; rc=$?
        stop_case
        if [ $rc = 0 ]; then pass=$((pass + 1)); echo "PASS $c"; else fail=$((fail + 1)); echo "FAIL $c"; fi
    done
    echo "$label: $pass passed, $fail failed (results in $work)"
    [ "$fail" = 0 ]
}
