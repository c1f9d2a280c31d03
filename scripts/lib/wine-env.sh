# shellcheck shell=bash
# Wine test rig: a private X server and Wine prefix for running the Windows
# build's programs. Source this file, then:
#
#   varnoth_wine_start   # Xvfb on a free display, prefix booted, locale built
#   ...                  # run programs with scripts/wine-run
#   varnoth_wine_stop    # wineserver -k for the prefix, Xvfb stopped
#
# Settings (environment, all optional):
#   VARNOTH_WINE_PREFIX  prefix directory      (default <repo>/build/wine-prefix)
#   VARNOTH_LOCALE_DIR   compiled locales      (default <repo>/build/locale)
#   VARNOTH_DISPLAY_MIN  first display tried   (default 90)
#   VARNOTH_SCREEN       Xvfb screen geometry  (default 1920x1080x24)
#
# The prefix runs every program inside Wine's virtual desktop named "shell"
# (the one with a taskbar), as large as the X screen: window placement then
# behaves as on Windows instead of depending on an X window manager, and
# GetSystemMetrics gives the screen size.
#
# Programs then run with the ANSI code page 936 (zh_CN.GBK), a Chinese-capable
# fallback font linked behind Tahoma and MS Shell Dlg, and no Mono/Gecko
# installer dialogs. A second start reuses the prefix and the locales.

VARNOTH_REPO_ROOT="${VARNOTH_REPO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"

varnoth_wine_binary() {
    if [[ -x /usr/lib/wine/wine64 ]]; then
        echo /usr/lib/wine/wine64
    elif command -v wine64 >/dev/null 2>&1; then
        command -v wine64
    else
        command -v wine
    fi
}

varnoth_wineserver_binary() {
    if [[ -x /usr/lib/wine/wineserver ]]; then
        echo /usr/lib/wine/wineserver
    else
        command -v wineserver
    fi
}

# Compiles zh_CN.GBK and en_US.UTF-8 into a private directory (the system may
# have neither generated) and exports LOCPATH so every later process finds them.
varnoth_wine_locales() {
    local dir="${VARNOTH_LOCALE_DIR:-$VARNOTH_REPO_ROOT/build/locale}"
    mkdir -p "$dir"
    if [[ ! -e "$dir/zh_CN.GBK/LC_CTYPE" ]]; then
        localedef -c -f GBK -i zh_CN "$dir/zh_CN.GBK" >/dev/null 2>&1 || true
    fi
    if [[ ! -e "$dir/en_US.UTF-8/LC_CTYPE" ]]; then
        localedef -c -f UTF-8 -i en_US "$dir/en_US.UTF-8" >/dev/null 2>&1 || true
    fi
    if [[ ! -e "$dir/zh_CN.GBK/LC_CTYPE" ]]; then
        echo "varnoth_wine_locales: could not build zh_CN.GBK in $dir" >&2
        return 1
    fi
    export LOCPATH="$dir"
    export LANG=zh_CN.GBK 2>/dev/null
    export LC_ALL=zh_CN.GBK 2>/dev/null
}

# Finds a display number with no X server (no lock file, no socket).
varnoth_free_display() {
    local n="${VARNOTH_DISPLAY_MIN:-90}"
    while [[ -e "/tmp/.X$n-lock" || -e "/tmp/.X11-unix/X$n" ]]; do
        n=$((n + 1))
    done
    echo "$n"
}

varnoth_xvfb_start() {
    local screen="${VARNOTH_SCREEN:-1920x1080x24}"
    local tries n
    for tries in 1 2 3 4 5; do
        n="$(varnoth_free_display)"
        Xvfb ":$n" -screen 0 "$screen" -nolisten tcp >/dev/null 2>&1 &
        VARNOTH_XVFB_PID=$!
        # Ready when the socket exists; gone when another server won the race.
        local waited
        for waited in $(seq 1 100); do
            if [[ -S "/tmp/.X11-unix/X$n" ]]; then
                export DISPLAY=":$n"
                export VARNOTH_XVFB_PID
                return 0
            fi
            kill -0 "$VARNOTH_XVFB_PID" 2>/dev/null || break
            sleep 0.05
        done
        kill "$VARNOTH_XVFB_PID" 2>/dev/null || true
        wait "$VARNOTH_XVFB_PID" 2>/dev/null || true
        VARNOTH_DISPLAY_MIN=$((n + 1))
    done
    echo "varnoth_xvfb_start: no X server could be started" >&2
    unset VARNOTH_XVFB_PID
    return 1
}

# Writes the prefix's fixed settings: font linking for CJK text and the
# fallback font file where Wine looks for fonts. Runs once per prefix.
varnoth_wine_configure_prefix() {
    local wine
    wine="$(varnoth_wine_binary)"
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    local font_file=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
    mkdir -p "$fonts"
    if [[ -e "$font_file" && ! -e "$fonts/wqy-microhei.ttc" ]]; then
        ln -sf "$font_file" "$fonts/wqy-microhei.ttc"
    fi
    local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
    local face
    for face in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2"; do
        "$wine" reg add "$key" /v "$face" /t REG_MULTI_SZ \
            /d "wqy-microhei.ttc,WenQuanYi Micro Hei" /f >/dev/null 2>&1 || return 1
    done
    local size="${VARNOTH_SCREEN:-1920x1080x24}"
    size="${size%x*}"
    "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1 || return 1
    "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d "$size" /f \
        >/dev/null 2>&1 || return 1
    "$(varnoth_wineserver_binary)" -w
}

# Bumped whenever varnoth_wine_configure_prefix changes, so old prefixes are redone.
VARNOTH_PREFIX_CONFIG_VERSION=2

varnoth_wine_prefix_start() {
    export WINEPREFIX="${VARNOTH_WINE_PREFIX:-$VARNOTH_REPO_ROOT/build/wine-prefix}"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEARCH=win64
    local wine
    wine="$(varnoth_wine_binary)"
    mkdir -p "$(dirname "$WINEPREFIX")"
    local marker="$WINEPREFIX/.varnoth-ready"
    if [[ "$(cat "$marker" 2>/dev/null)" != "$VARNOTH_PREFIX_CONFIG_VERSION" ]]; then
        if [[ ! -e "$WINEPREFIX/system.reg" ]]; then
            "$wine" wineboot -i >/dev/null 2>&1 || true
            "$(varnoth_wineserver_binary)" -w
        fi
        varnoth_wine_configure_prefix || {
            echo "varnoth_wine_prefix_start: could not configure $WINEPREFIX" >&2
            return 1
        }
        echo "$VARNOTH_PREFIX_CONFIG_VERSION" >"$marker"
    fi
}

# A running wineserver keeps its desktop (explorer.exe) on the X display it
# was started with; programs started on another display then die with X
# BadWindow errors. So a new display always gets a fresh wineserver.
varnoth_wine_restart_server() {
    WINEPREFIX="${VARNOTH_WINE_PREFIX:-$VARNOTH_REPO_ROOT/build/wine-prefix}" \
        "$(varnoth_wineserver_binary)" -k >/dev/null 2>&1 || true
}

varnoth_wine_start() {
    varnoth_wine_locales || return 1
    if [[ -z "${VARNOTH_XVFB_PID:-}" ]] || ! kill -0 "$VARNOTH_XVFB_PID" 2>/dev/null; then
        varnoth_xvfb_start || return 1
        varnoth_wine_restart_server
    fi
    varnoth_wine_prefix_start || return 1
}

varnoth_wine_stop() {
    if [[ -n "${WINEPREFIX:-}" ]]; then
        WINEPREFIX="$WINEPREFIX" "$(varnoth_wineserver_binary)" -k >/dev/null 2>&1 || true
    fi
    if [[ -n "${VARNOTH_XVFB_PID:-}" ]]; then
        kill "$VARNOTH_XVFB_PID" 2>/dev/null || true
        wait "$VARNOTH_XVFB_PID" 2>/dev/null || true
        unset VARNOTH_XVFB_PID
    fi
}
