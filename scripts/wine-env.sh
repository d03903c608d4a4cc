# Sourced by the Wine scripts: where this run's Wine prefix and session state live.
# QUILLON_WINE_DIR may name another folder (the demo and the benchmark keep their own).
quillon_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
: "${QUILLON_WINE_DIR:=$quillon_root/build/win32/wine}"
export WINEPREFIX="$QUILLON_WINE_DIR/prefix"
export WINEARCH=win32
export WINEDEBUG="${QUILLON_WINEDEBUG:--all}"
# No Mono or Gecko install prompts when the prefix is made.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
session_file="$QUILLON_WINE_DIR/session"
mkdir -p "$QUILLON_WINE_DIR"

# Makes the prefix once: 32-bit, with the CJK font standing in for the fonts our dialogs
# and grids name, so Chinese text draws whatever fonts the machine lacks.
quillon_wine_init_prefix() {
  (
    flock 9
    [ -f "$WINEPREFIX/.quillon-ready" ] && exit 0
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 </dev/null
    local reg="$QUILLON_WINE_DIR/fonts.reg" font="WenQuanYi Micro Hei"
    {
      printf 'Windows Registry Editor Version 5.00\r\n\r\n'
      printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
      for face in "宋体" "新宋体" "SimSun" "NSimSun" "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma"; do
        printf '"%s"="%s"\r\n' "$face" "$font"
      done
      if [ -n "${QUILLON_WINE_DESKTOP:-}" ]; then
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n'
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="%s"\r\n' "$QUILLON_WINE_DESKTOP"
      fi
    } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$reg"
    wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1 </dev/null
    wineserver -w
    touch "$WINEPREFIX/.quillon-ready"
  ) 9>"$QUILLON_WINE_DIR/init.lock"
}

# An X server for Wine when there is none: Xvfb on the first free display.
# $1: the folder that keeps this X server's pid and display number.
quillon_start_xvfb() {
  local state="$1" fd_file="$1/xvfb.display"
  rm -f "$fd_file"
  Xvfb -displayfd 7 -screen 0 1600x1000x24 -nolisten tcp 7>"$fd_file" >/dev/null 2>&1 &
  echo $! > "$state/xvfb.pid"
  for _ in $(seq 1 100); do
    [ -s "$fd_file" ] && break
    sleep 0.1
  done
  [ -s "$fd_file" ] || { echo "wine: Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(tr -d '\n' < "$fd_file")"
}

quillon_stop_xvfb() {
  local pid_file="$1/xvfb.pid"
  if [ -f "$pid_file" ]; then
    kill "$(cat "$pid_file")" 2>/dev/null || true
    rm -f "$pid_file" "$1/xvfb.display"
  fi
}
