#!/usr/bin/env bash
# The Windows downloads as a user meets them, in a Wine prefix of their own:
# the winget manifests agree with the installer and the checker refuses bad
# ones; the zip holds what it should; a silent install of an older build puts
# the exe, the shortcut and the uninstall entry in place, and a newer one
# upgrades it in place keeping settings.ini; the installed exe passes its
# self-test; setup and uninstall refuse to touch a running program; the quiet
# uninstall removes the program, shortcut and entry and keeps the capture
# logs, screenshots and settings; the portable exe with its marker reads and
# writes settings.ini beside itself and leaves the roaming folder alone, and
# without the marker uses the roaming folder as before.
#   tests/e2e/package_e2e.sh [work folder]     (default build/e2e/package)
set -u
repo="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(realpath -m "${1:-$repo/build/e2e/package}")"
rm -rf "$work"
mkdir -p "$work"
pass=0 fail=0
ok() { pass=$((pass + 1)); echo "  ok: $*"; }
bad() { fail=$((fail + 1)); echo "  FAIL: $*"; }
check() {  # check <what> <command...>
    local what="$1"; shift
    if "$@"; then ok "$what"; else bad "$what"; fi
}
seconds_since() { awk -v s="$1" -v e="$(date +%s.%N)" 'BEGIN { printf "%.1f", e - s }'; }

echo "packaging (scripts/package.sh)"
if ! TF_DIST="$work/dist" bash "$repo/scripts/package.sh" > "$work/package.log" 2>&1; then
    cat "$work/package.log"; echo "package_e2e: scripts/package.sh failed"; exit 1
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$repo/build/windows/CMakeCache.txt")
zip="$work/dist/Tallyframe-$version-portable.zip"
setup="$work/dist/Tallyframe-$version-setup.exe"
winget="$work/dist/winget"
for f in "$zip" "$setup"; do
    [ -f "$f" ] || { echo "package_e2e: no $f"; exit 1; }
    printf '  %s: %d bytes\n' "$(basename "$f")" "$(stat -c %s "$f")"
done

# ---- Without Wine ----------------------------------------------------------
echo "versions and contents"
# A VERSIONINFO string value is UTF-16: its name, then its text.
version_value() { strings -el "$1" | grep -A1 -x "$2" | sed -n 2p; }
exe_stage="$work/stage"
mkdir -p "$exe_stage"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$exe_stage"
check "the zip holds the exe, README, notices and marker, nothing else" \
    [ "$(cd "$exe_stage" && ls | tr '\n' ' ')" = "README.txt THIRD-PARTY-NOTICES.txt portable tallyframe.exe " ]
for key in FileVersion ProductVersion; do
    check "exe $key $version" [ "$(version_value "$exe_stage/tallyframe.exe" $key)" = "$version" ]
    check "setup $key $version" [ "$(version_value "$setup" $key)" = "$version" ]
done
check "exe ProductName" [ "$(version_value "$exe_stage/tallyframe.exe" ProductName)" = Tallyframe ]
check "the notices carry the GCC runtime library exception" grep -q "GCC RUNTIME LIBRARY EXCEPTION" "$exe_stage/THIRD-PARTY-NOTICES.txt"
check "the notices carry winpthreads' licence" grep -q "winpthreads" "$exe_stage/THIRD-PARTY-NOTICES.txt"
check "the README is for Windows readers (CR LF)" \
    [ "$(grep -c $'\r$' "$exe_stage/README.txt")" = "$(wc -l < "$exe_stage/README.txt")" ]

echo "winget manifests"
checker="$repo/packaging/winget/winget_manifests.py"
sha=$(sha256sum "$setup" | cut -c1-64 | tr a-f A-F)
check "the installer manifest carries the installer's SHA256" grep -q "InstallerSha256: $sha" "$winget/Quorvelle.Tallyframe.installer.yaml"
check "user scope" grep -qx "Scope: user" "$winget/Quorvelle.Tallyframe.installer.yaml"
check "every manifest says version $version" \
    [ "$(grep -lx "PackageVersion: $version" "$winget"/*.yaml | wc -l)" = 3 ]
check "the manifests pass the checker" python3 "$checker" check "$winget" >/dev/null
# The checker itself: each broken copy must be refused.
broken() {  # broken <name> <file suffix> <sed expression>
    local dir="$work/winget-$1"
    cp -r "$winget" "$dir"
    sed -i "$3" "$dir/Quorvelle.Tallyframe.$2"
    if python3 "$checker" check "$dir" > "$dir.txt" 2>&1; then bad "checker let through: $1"; else ok "checker refuses: $1"; fi
}
broken "a misspelt field" installer.yaml 's/^Scope: user/Scopes: user/'
broken "a short SHA256" installer.yaml 's/\(InstallerSha256: .*\).$/\1/'
broken "an unknown scope" installer.yaml 's/^Scope: user/Scope: everyone/'
broken "a missing licence" locale.en-US.yaml '/^License:/d'
broken "an older manifest version" yaml 's/^ManifestVersion: .*/ManifestVersion: 1.6.0/'
broken "versions that disagree" locale.en-US.yaml "s/^PackageVersion: .*/PackageVersion: 9.9.9/"

# ---- Under Wine ------------------------------------------------------------
export TF_WINE_PREFIX="$work/prefix"
. "$repo/scripts/wine-env.sh"
tf_wine_prefix
tf_xvfb || exit 1
trap '"$TF_WINESERVER" -k >/dev/null 2>&1; tf_xvfb_stop' EXIT
user_dir="$WINEPREFIX/drive_c/users/$(id -un)"
inst="$user_dir/AppData/Local/Programs/Tallyframe"
roaming="$user_dir/AppData/Roaming"
shortcut="$roaming/Microsoft/Windows/Start Menu/Programs/Tallyframe.lnk"
settings_ini="$roaming/Quorvelle/Tallyframe/settings.ini"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tallyframe'
reg_value() { "$TF_WINE" reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"; }
has_entry() { "$TF_WINE" reg query "$key" >/dev/null 2>&1; }
# settings.ini as text: the program keeps it UTF-16 when it made it so.
ini_text() {
    if [ "$(head -c2 "$1" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = "fffe" ]; then iconv -f UTF-16 -t UTF-8 "$1"; else cat "$1" 2>/dev/null; fi | tr -d '\r'
}
wait_until() {  # wait_until <seconds> <command...>
    local limit=$(( $1 * 10 )) i=0; shift
    while ! "$@"; do i=$((i + 1)); [ $i -ge $limit ] && return 1; sleep 0.1; done
}
gone() { [ ! -e "$1" ]; }
no_entry() { ! has_entry; }
# The uninstaller has finished: its copy in the folder and its entry are gone.
uninstalled() { gone "$inst/uninstall.exe" && no_entry; }

installed_as() {  # installed_as <version>
    check "exe installed" [ -f "$inst/tallyframe.exe" ]
    check "uninstaller installed" [ -f "$inst/uninstall.exe" ]
    check "Start-menu shortcut to the installed exe" grep -qa 'Tallyframe\\tallyframe.exe' "$shortcut"
    check "DisplayVersion $1" [ "$(reg_value DisplayVersion)" = "$1" ]
    check "DisplayName, Publisher" [ "$(reg_value DisplayName)/$(reg_value Publisher)" = "Tallyframe/Quorvelle" ]
    check "DisplayIcon is the installed exe" [ "$(reg_value DisplayIcon)" = "$(tf_winpath_c "$inst")\\tallyframe.exe,0" ]
    check "QuietUninstallString runs the uninstaller with /S" \
        [ "$(reg_value QuietUninstallString)" = "\"$(tf_winpath_c "$inst")\\uninstall.exe\" /S" ]
    local size; size=$(( $(reg_value EstimatedSize) ))
    check "EstimatedSize near the exe's size ($size KiB)" [ $((size)) -ge $(( $(stat -c %s "$inst/tallyframe.exe") / 1024 )) ]
}
# The C: path Wine gives a folder inside drive_c.
tf_winpath_c() { printf 'C:%s' "${1#"$WINEPREFIX/drive_c"}" | sed 's|/|\\|g'; }

echo "silent install of an older build ($work/Tallyframe-0.9.0-setup.exe)"
# The same files under an older version: what a user who installed the last
# release has.
"$repo/packaging/windows/make_installer.sh" 0.9.0 "$exe_stage" "$work/Tallyframe-0.9.0-setup.exe" || bad "no older installer"
started=$(date +%s.%N)
"$TF_WINE" "$work/Tallyframe-0.9.0-setup.exe" /S
rc=$?
echo "  install: exit code $rc in $(seconds_since "$started") s"
installed_as 0.9.0
check "the installed copy is not portable" [ ! -e "$inst/portable" ]

# A user's settings and screenshots from using the older build.
mkdir -p "$(dirname "$settings_ini")" "$user_dir/Pictures/Shots" "$inst/tally_frame_log/20260101-120000-1"
printf '[general]\r\ncaptureFolder=C:\\users\\%s\\Pictures\\Shots\r\nlanguage=zh-CN\r\nopenAfterCapture=1\r\n' "$(id -un)" > "$settings_ini"
settings_sum=$(sha256sum "$settings_ini")
echo png > "$user_dir/Pictures/Shots/tallyframe-20260101-120000.png"
echo log > "$inst/tally_frame_log/20260101-120000-1/capture.log.txt"

echo "silent upgrade to $version"
started=$(date +%s.%N)
"$TF_WINE" "$setup" /S
rc=$?
install_time=$(seconds_since "$started")
echo "  install: exit code $rc in $install_time s"
check "setup exit code 0" [ "$rc" = 0 ]
installed_as "$version"
check "settings.ini kept through the upgrade" [ "$(sha256sum "$settings_ini")" = "$settings_sum" ]
check "one uninstall entry" [ "$("$TF_WINE" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' 2>/dev/null | grep -c Tallyframe)" = 1 ]

echo "the installed exe's self-test"
"$TF_WINE" "$inst/tallyframe.exe" --self-test "$(tf_winpath "$work/self-test.txt")"
rc=$?
check "--self-test exit code 0 ($rc)" [ "$rc" = 0 ]
check "report says ALL TESTS PASSED" grep -q "^ALL TESTS PASSED" "$work/self-test.txt"

echo "setup and uninstall leave a running program alone"
"$TF_WINE" "$inst/tallyframe.exe" >/dev/null 2>&1 &
app=$!
if wait_until 30 bash -c "xdotool search --onlyvisible --name '^(Tallyframe|塔利帧)\$' >/dev/null 2>&1"; then
    "$TF_WINE" "$setup" /S
    rc=$?
    check "setup over the running program fails (exit code $rc)" [ "$rc" != 0 ]
    "$TF_WINE" "$inst/uninstall.exe" /S
    sleep 3  # the uninstaller runs on from a copy of itself
    check "uninstall of the running program leaves the exe" [ -f "$inst/tallyframe.exe" ]
    check "... and its entry" has_entry
else
    bad "the installed program did not start"
fi
kill "$app" 2>/dev/null; wait "$app" 2>/dev/null
"$TF_WINESERVER" -k >/dev/null 2>&1

echo "quiet uninstall"
quiet=$(reg_value QuietUninstallString)
if [[ "$quiet" =~ ^\"([^\"]+)\"\ (.*)$ ]]; then
    started=$(date +%s.%N)
    # shellcheck disable=SC2086  # the switches are separate words
    "$TF_WINE" "${BASH_REMATCH[1]}" ${BASH_REMATCH[2]}
    # The uninstaller copies itself away and runs on from the copy.
    wait_until 60 uninstalled
    echo "  uninstall: $(seconds_since "$started") s"
else
    bad "QuietUninstallString is not a quoted path and switches: $quiet"
fi
for f in tallyframe.exe uninstall.exe README.txt THIRD-PARTY-NOTICES.txt; do check "$f removed" gone "$inst/$f"; done
check "shortcut removed" gone "$shortcut"
check "uninstall entry removed" no_entry
check "capture log folder kept" [ -f "$inst/tally_frame_log/20260101-120000-1/capture.log.txt" ]
check "screenshot kept" [ -f "$user_dir/Pictures/Shots/tallyframe-20260101-120000.png" ]
check "settings.ini kept" [ "$(sha256sum "$settings_ini" 2>/dev/null)" = "$settings_sum" ]

echo "an install in a folder of the user's choice is upgraded there"
custom="$user_dir/Apps/Tallyframe"
"$TF_WINE" "$work/Tallyframe-0.9.0-setup.exe" /S "/D=$(tf_winpath_c "$custom")"
"$TF_WINE" "$setup" /S
check "the upgrade went to the chosen folder" [ -f "$custom/tallyframe.exe" ]
check "... and not to the default one" gone "$inst/tallyframe.exe"
check "DisplayVersion $version" [ "$(reg_value DisplayVersion)" = "$version" ]
"$TF_WINE" "$custom/uninstall.exe" /S
check "uninstalled from the chosen folder" wait_until 30 gone "$custom"

# Starts the exe, turns "Open image after completion" off in its settings
# window by keyboard (the folder button, the language menu, then the switch)
# and closes it. Prints the main window's title.
toggle_open_after() {  # toggle_open_after <exe>
    "$TF_WINE" "$1" >/dev/null 2>&1 &
    local app=$! main="" title=""
    wait_until 30 bash -c "xdotool search --onlyvisible --name '^(Tallyframe|塔利帧)\$' >/dev/null 2>&1" &&
        main=$(xdotool search --onlyvisible --name '^(Tallyframe|塔利帧)$' 2>/dev/null | head -1)
    if [ -n "$main" ]; then
        title=$(xdotool getwindowname "$main")
        eval "$(xdotool getwindowgeometry --shell "$main")"
        sleep 1
        xdotool mousemove $((X + WIDTH - 36)) $((Y + 32)) click 1  # the gear
        if wait_until 15 bash -c "xdotool search --onlyvisible --name ' - (Settings|设置)\$' >/dev/null 2>&1"; then
            sleep 1
            xdotool key Tab; sleep 0.2; xdotool key Tab; sleep 0.2; xdotool key Tab; sleep 0.2; xdotool key space
            sleep 2
        fi
    fi
    kill "$app" 2>/dev/null; wait "$app" 2>/dev/null
    "$TF_WINESERVER" -k >/dev/null 2>&1
    echo "$title"
}

echo "the portable exe, with its marker"
portable="$work/portable"
mkdir -p "$portable"
cp "$exe_stage"/* "$portable/"
rm -rf "$roaming/Quorvelle"
printf '[general]\r\nlanguage=en-US\r\n' > "$portable/settings.ini"
(cd "$roaming" && find . | sort) > "$work/roaming-before.txt"
title=$(toggle_open_after "$portable/tallyframe.exe")
check "reads settings.ini beside itself (English title: $title)" [ "$title" = Tallyframe ]
check "writes settings.ini beside itself" bash -c "$(declare -f ini_text); ini_text '$portable/settings.ini' | grep -qx openAfterCapture=0"
(cd "$roaming" && find . | sort) > "$work/roaming-after.txt"
check "creates nothing in the roaming folder" cmp -s "$work/roaming-before.txt" "$work/roaming-after.txt"
diff "$work/roaming-before.txt" "$work/roaming-after.txt" | sed -n 's/^> /  new in the roaming folder: /p'

echo "the same exe without the marker"
# Now the file beside it says Chinese and the roaming one English.
rm "$portable/portable"
printf '[general]\r\nlanguage=zh-CN\r\n' > "$portable/settings.ini"
mkdir -p "$(dirname "$settings_ini")"
printf '[general]\r\nlanguage=en-US\r\n' > "$settings_ini"
beside_sum=$(sha256sum "$portable/settings.ini")
title=$(toggle_open_after "$portable/tallyframe.exe")
check "reads the roaming settings.ini (English title: $title)" [ "$title" = Tallyframe ]
check "writes the roaming settings.ini" bash -c "$(declare -f ini_text); ini_text '$settings_ini' | grep -qx openAfterCapture=0"
check "leaves settings.ini beside it alone" [ "$(sha256sum "$portable/settings.ini")" = "$beside_sum" ]

echo "package_e2e: $pass passed, $fail failed (install $install_time s)"
[ "$fail" = 0 ]
