#!/usr/bin/env bash
# Sourced by the scripts that run Windows programs under Wine. Builds a private
# prefix offline on first use and starts an Xvfb display when none is set.
#   TF_WINE_PREFIX  prefix folder (default: build/wine/prefix in the repository)
#   TF_DPI          LogPixels of the prefix (default 96)

TF_REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# Wine refuses a relative prefix path.
export TF_WINE_ROOT="$(realpath -m "${TF_WINE_PREFIX:-$TF_REPO/build/wine/prefix}")"
export WINEPREFIX="$TF_WINE_ROOT"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
# Builds started after this (a tier, an end-to-end script) keep the user's
# compiler cache, as ccache itself finds it: without this, ccache would follow
# HOME into the prefix's home and start empty in every fresh checkout.
if [ -z "${CCACHE_DIR:-}" ] && command -v ccache >/dev/null; then
    tf_cache_dir="$(ccache -k cache_dir 2>/dev/null || true)"
    if [ -n "$tf_cache_dir" ]; then export CCACHE_DIR="$tf_cache_dir"; fi
    unset tf_cache_dir
fi
# The prefix's Desktop is a link to $HOME: keep saved images out of the real home.
export HOME="${WINEPREFIX%/}.home"
TF_WINE=/usr/lib/wine/wine64
# Ends every program of the prefix with -k; like wine64 it is not on PATH.
TF_WINESERVER=/usr/lib/wine/wineserver

tf_wine_prefix() {
    mkdir -p "$HOME" "$(dirname "$WINEPREFIX")"
    if [ -f "$WINEPREFIX/.tf-ready" ]; then return 0; fi
    # Tests may start in parallel: one of them builds the prefix, the others wait.
    exec 9>"${WINEPREFIX%/}.lock"
    flock 9
    if [ -f "$WINEPREFIX/.tf-ready" ]; then flock -u 9; return 0; fi
    mkdir -p "$WINEPREFIX"
    "$TF_WINE" wineboot -i >/dev/null 2>&1 || true
    local reg="$WINEPREFIX/tf-setup.reg"
    cat > "$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Microsoft YaHei UI"="WenQuanYi Micro Hei"
"Microsoft YaHei"="WenQuanYi Micro Hei"
"Segoe UI"="DejaVu Sans"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Audio"=""
REG
    "$TF_WINE" regedit "$reg" >/dev/null 2>&1 || true
    tf_wine_set_dpi "${TF_DPI:-96}"
    # Without the font replacements DirectWrite draws no text at all, so a
    # prefix that did not take them is not marked ready and is rebuilt next time.
    if grep -q 'Fonts\\\\Replacements' "$WINEPREFIX/user.reg" 2>/dev/null; then
        touch "$WINEPREFIX/.tf-ready"
    else
        echo "wine-env: prefix $WINEPREFIX did not take its settings" >&2
    fi
    flock -u 9
}

tf_wine_set_dpi() {
    local dpi="$1" reg="$WINEPREFIX/tf-dpi.reg"
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"LogPixels"=dword:%08x\n' "$dpi" > "$reg"
    "$TF_WINE" regedit "$reg" >/dev/null 2>&1 || true
    "$TF_WINESERVER" -k >/dev/null 2>&1 || true
}

# Starts Xvfb on a free display unless DISPLAY is already usable.
tf_xvfb() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
    local n
    for n in $(seq 90 140); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            Xvfb ":$n" -screen 0 "${TF_SCREEN:-1920x1080x24}" -nolisten tcp >/dev/null 2>&1 &
            TF_XVFB_PID=$!
            export DISPLAY=":$n"
            local i
            for i in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
            echo "wine-env: Xvfb :$n did not start" >&2
            return 1
        fi
    done
    echo "wine-env: no free X display" >&2
    return 1
}

tf_xvfb_stop() {
    if [ -n "${TF_XVFB_PID:-}" ]; then kill "$TF_XVFB_PID" 2>/dev/null || true; wait "$TF_XVFB_PID" 2>/dev/null || true; fi
}

# Converts a Linux path to the Z: path a Windows program sees.
tf_winpath() { printf 'Z:%s' "$(realpath -m "$1" | sed 's|/|\\|g')"; }
