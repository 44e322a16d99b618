# Sourced, not run: prepares a private Wine world for the Windows executables.
#   wine_env_start DIR   fresh prefix in DIR/wineprefix, a virtual X display, a Wine desktop
#   wine_env_stop        ends the wineserver, the desktop and the display started here
# Everything long-lived is started here, detached, so that CTest's output pipes are never
# inherited by Wine's services (CTest would otherwise wait for them forever).

wine_env_log() { echo "wine-env: $*"; }

wine_env_start() {
  local dir="$1"
  mkdir -p "$dir"
  dir="$(cd "$dir" && pwd)"

  export WINEPREFIX="$dir/wineprefix"
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  # The ANSI code page follows the locale: 936 (GBK) for the program's Chinese texts.
  export LC_ALL=zh_CN.UTF-8
  unset WINESERVER WINELOADER

  WINE_ENV_SCRIPTS="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
  # 32-bit Windows programs need Wine's 32-bit loader, which needs a kernel that runs 32-bit
  # Linux programs. Some kernels are built without that; the 64-bit half works regardless.
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    export QUORVEL_WINE_LOADER=/usr/lib/wine/wine
    export QUORVEL_WINE32=1
  else
    export QUORVEL_WINE_LOADER=/usr/lib/wine/wine64
    export QUORVEL_WINE32=0
    wine_env_log "this kernel cannot run 32-bit programs: Wine runs 64-bit Windows programs only"
  fi
  wine() { "$WINE_ENV_SCRIPTS/wine-run" "$@"; }

  if [ -z "${QUORVEL_USE_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    wine_env_log "starting Xvfb on :$n"
    Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp </dev/null >"$dir/xvfb.log" 2>&1 &
    WINE_ENV_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
  fi

  wine_env_log "fresh prefix $WINEPREFIX"
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineserver -p </dev/null >/dev/null 2>&1
  wine wineboot -i </dev/null >"$dir/wineboot.log" 2>&1

  # Wine 8 from Debian does not look in /usr/share/wine/fonts: without these the caption
  # buttons draw as letters. The CJK font renders the GBK texts.
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  cp -n /usr/share/wine/fonts/*.ttf "$fonts/" 2>/dev/null || true
  cp -n /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc "$fonts/" 2>/dev/null || true

  # One shared virtual desktop: every Wine process of the run (the program, the test driver)
  # lives on it, and Wine draws frames and captions without a window manager.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1920x1080 /f </dev/null >/dev/null 2>&1
  # wineboot has already made the default desktop, before these keys existed, as the plain root
  # window (no frames, no captions): restart the server so that explorer makes the virtual one.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p </dev/null >/dev/null 2>&1
  wine explorer /desktop=Default,1920x1080 </dev/null >/dev/null 2>&1 &
  WINE_ENV_EXPLORER_PID=$!
  sleep 1
  wine_env_log "ready on DISPLAY=$DISPLAY"
}

wine_env_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${WINE_ENV_EXPLORER_PID:-}" ]; then
    wait "$WINE_ENV_EXPLORER_PID" 2>/dev/null || true
    WINE_ENV_EXPLORER_PID=""
  fi
  if [ -n "${WINE_ENV_XVFB_PID:-}" ]; then
    kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    WINE_ENV_XVFB_PID=""
  fi
}
