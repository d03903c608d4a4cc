# Sourced by the Wine scripts: which Wine runs this build, where its prefix and session
# state live.
#
# QUILLON_WINE_ARCH chooses the build: win32 (i686, Wine's 32-bit loader, the default) or
# win64 (x86-64, Wine's 64-bit loader). Each has a prefix of its own: a win32 prefix cannot
# run 64-bit programs, and the 32-bit loader only starts where the kernel runs 32-bit
# programs. QUILLON_WINE_DIR may name another folder (the demo and the benchmark keep
# their own).
quillon_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
: "${QUILLON_WINE_ARCH:=win32}"
case "$QUILLON_WINE_ARCH" in
  win32) quillon_wine_loader=/usr/lib/wine/wine ;;
  win64) quillon_wine_loader=/usr/lib/wine/wine64 ;;
  *) echo "wine: QUILLON_WINE_ARCH is '$QUILLON_WINE_ARCH'; it takes win32 or win64" >&2; exit 2 ;;
esac
export QUILLON_WINE_ARCH
: "${QUILLON_WINE_DIR:=$quillon_root/build/$QUILLON_WINE_ARCH/wine}"
export WINEPREFIX="$QUILLON_WINE_DIR/prefix"
export WINEARCH="$QUILLON_WINE_ARCH"
# /usr/bin/wine and Wine's helper wrappers (wineboot, winepath, regedit) pick the 32-bit
# loader whenever wine32 is installed, runnable or not: every Wine program of ours goes
# through the loader of its build, and so do the programs Wine itself starts.
export WINELOADER="$quillon_wine_loader"
export WINEDEBUG="${QUILLON_WINEDEBUG:--all}"
# No Mono or Gecko install prompts when the prefix is made.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
session_file="$QUILLON_WINE_DIR/session"
mkdir -p "$QUILLON_WINE_DIR"

quillon_wine() { "$quillon_wine_loader" "$@"; }

# Says why this build's Wine cannot run here, or nothing when it can.
quillon_wine_unusable() {
  if [ ! -x "$quillon_wine_loader" ]; then
    echo "$quillon_wine_loader is not installed"
    return
  fi
  local said
  if ! said=$("$quillon_wine_loader" --version 2>&1 </dev/null); then
    echo "$quillon_wine_loader does not start: ${said##*: }"
  fi
}

# What a ready prefix holds; a prefix made by an older set-up is made anew.
quillon_prefix_setup="fonts marlett managed-${QUILLON_WINE_MANAGED:-0} desktop-${QUILLON_WINE_DESKTOP:-none} 3"

# Makes the prefix once, each step through this build's loader and checked: the CJK font
# standing in for the fonts our dialogs and grids name (so Chinese text draws whatever
# fonts the machine has), the virtual desktop when one is asked for, and, unless
# QUILLON_WINE_MANAGED=1 says a window manager runs, windows Wine does not hand to one:
# on a bare X server its X11 driver would otherwise wait up to two seconds for a window
# manager to withdraw each window that closes. A prefix whose set-up failed is not marked
# ready, so the next start makes it anew.
quillon_wine_init_prefix() {
  (
    flock 9
    [ "$(cat "$WINEPREFIX/.quillon-ready" 2>/dev/null)" = "$quillon_prefix_setup" ] && exit 0
    local unusable
    unusable=$(quillon_wine_unusable)
    if [ -n "$unusable" ]; then echo "wine: $unusable" >&2; exit 1; fi
    rm -rf "$WINEPREFIX"
    if ! quillon_wine wineboot.exe -i >/dev/null 2>&1 </dev/null; then
      echo "wine: wineboot failed to make the $QUILLON_WINE_ARCH prefix $WINEPREFIX" >&2; exit 1
    fi
    # Wine draws the caption buttons with Marlett (Debian's fonts-wine), but this Wine
    # does not look in the folder Debian installs it to: the prefix's own fonts folder it
    # does read.
    if ! cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null; then
      echo "wine: no /usr/share/wine/fonts/marlett.ttf to put in the prefix (Debian's fonts-wine)" >&2; exit 1
    fi
    local reg="$QUILLON_WINE_DIR/fonts.reg" font="WenQuanYi Micro Hei"
    {
      printf 'Windows Registry Editor Version 5.00\r\n\r\n'
      printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
      for face in "宋体" "新宋体" "SimSun" "NSimSun" "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma"; do
        printf '"%s"="%s"\r\n' "$face" "$font"
      done
      if [ "${QUILLON_WINE_MANAGED:-0}" != 1 ]; then
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n'
      fi
      if [ -n "${QUILLON_WINE_DESKTOP:-}" ]; then
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n'
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="%s"\r\n' "$QUILLON_WINE_DESKTOP"
      fi
    } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$reg"
    local windows_reg
    windows_reg=$(quillon_wine winepath.exe -w "$reg" 2>/dev/null </dev/null | tr -d '\r')
    if [ -z "$windows_reg" ]; then
      echo "wine: winepath could not name $reg for Wine" >&2; exit 1
    fi
    if ! quillon_wine regedit.exe /S "$windows_reg" >/dev/null 2>&1 </dev/null; then
      echo "wine: regedit could not import $reg" >&2; exit 1
    fi
    wineserver -w
    # regedit can end with status 0 having imported nothing: read the result back.
    if ! grep -qs '^"SimSun"="WenQuanYi Micro Hei"' "$WINEPREFIX/user.reg"; then
      echo "wine: the font replacements are not in $WINEPREFIX/user.reg after the import" >&2; exit 1
    fi
    if [ "${QUILLON_WINE_MANAGED:-0}" != 1 ] && ! grep -qs '^"Managed"="N"' "$WINEPREFIX/user.reg"; then
      echo "wine: the X11 driver setting is not in $WINEPREFIX/user.reg after the import" >&2; exit 1
    fi
    echo "$quillon_prefix_setup" > "$WINEPREFIX/.quillon-ready"
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
