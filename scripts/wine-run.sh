#!/usr/bin/env bash
# Runs a Windows program under Wine: the CMake cross-compiling emulator and the demo's
# launcher. Inside a session (wine-session.sh start) it uses that session's display and
# wineserver; alone it brings up its own X server for the one run.
set -uo pipefail

# Without QUILLON_WINE_ARCH the program's own header chooses: a PE32+ image is x86-64.
if [ -z "${QUILLON_WINE_ARCH:-}" ] && [ -f "${1:-}" ]; then
  pe_offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  if [ -n "$pe_offset" ] && [ "$(od -An -tx2 -j$((pe_offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')" = 8664 ]; then
    export QUILLON_WINE_ARCH=win64
  fi
fi
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

own_xvfb=0
if [ -f "$session_file" ]; then
  # shellcheck disable=SC1090
  source "$session_file"; export DISPLAY
elif [ -z "${DISPLAY:-}" ]; then
  solo_dir="$QUILLON_WINE_DIR/solo-$$"
  mkdir -p "$solo_dir"
  quillon_start_xvfb "$solo_dir" || exit 1
  own_xvfb=1
fi
quillon_wine_init_prefix || exit 1

# Wine's helper processes inherit the standard handles and can outlive the program, which
# would keep a reader of our pipes (ctest) waiting; the program writes to files instead.
out=$(mktemp) err=$(mktemp)
quillon_wine "$@" >"$out" 2>"$err" </dev/null
rc=$?
cat "$out"; cat "$err" >&2
rm -f "$out" "$err"

if [ $own_xvfb -eq 1 ]; then
  wineserver -w >/dev/null 2>&1 || true
  quillon_stop_xvfb "$solo_dir"
  rm -rf "$solo_dir"
fi
exit $rc
