# Sourced: a private Xvfb display and Wine prefix for running the Windows build.
#   wine_env_start BUILD_DIR [use-current-display]
# Sets DISPLAY (unless told to keep it), WINEPREFIX, LANG and friends, and
# prepares the prefix once (kept inside the build tree).
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

wine_env_start() {
  local build=$1 keep_display=${2:-}
  export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 \
         WINEDLLOVERRIDES="mscoree,mshtml="
  if [ -z "$keep_display" ] || [ -z "${DISPLAY:-}" ]; then
    local fifo; fifo=$(mktemp -u); mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    XVFB_PID=$!
    local num; read -r num <"$fifo"; rm -f "$fifo"
    export DISPLAY=":$num"
  fi
  if [ ! -f "$WINEPREFIX/.moxel-ready" ]; then
    "$WINE64" wineboot -i >/dev/null 2>&1 || true
    "$WINESERVER" -w
    "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ 明朝' /d IPAMincho /f >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f >/dev/null 2>&1
    "$WINESERVER" -w
    touch "$WINEPREFIX/.moxel-ready"
  fi
  "$WINESERVER" -p >/dev/null 2>&1 || true
  # The first Wine program of a server session starts services.exe and friends,
  # which inherit its output handles: start them here with output going
  # nowhere, so that no later pipe is held open by them.
  "$WINE64" reg query 'HKCU\Software\Wine' </dev/null >/dev/null 2>&1 || true
}

wine_env_stop() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
}
