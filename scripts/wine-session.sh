#!/usr/bin/env bash
# One Wine session for a whole test run: `start` makes the prefix if needed, starts Xvfb
# when there is no DISPLAY and keeps one wineserver alive; `stop` ends both. Programs
# run by wine-run.sh in between join this session. `init` only makes the prefix.
# QUILLON_WINE_ARCH (win32 or win64) chooses the build's Wine (wine-env.sh).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

case "${1:-}" in
  init)
    quillon_wine_init_prefix
    ;;
  start)
    "$0" stop >/dev/null 2>&1 || true
    if [ -z "${DISPLAY:-}" ]; then
      quillon_start_xvfb "$QUILLON_WINE_DIR"
    fi
    if ! quillon_wine_init_prefix; then
      quillon_stop_xvfb "$QUILLON_WINE_DIR"
      echo "wine session: the $QUILLON_WINE_ARCH prefix could not be made" >&2
      exit 1
    fi
    wineserver -p >/dev/null 2>&1 </dev/null
    echo "DISPLAY=$DISPLAY" > "$session_file"
    # Wine's own services start with the first program; start them now, outside any test.
    quillon_wine cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
    echo "wine session: $QUILLON_WINE_ARCH prefix $WINEPREFIX ($quillon_wine_loader), display $DISPLAY"
    ;;
  stop)
    if [ -f "$session_file" ]; then
      # shellcheck disable=SC1090
      source "$session_file"; export DISPLAY
    fi
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    quillon_stop_xvfb "$QUILLON_WINE_DIR"
    rm -f "$session_file"
    echo "wine session stopped"
    ;;
  *)
    echo "usage: $0 init|start|stop" >&2
    exit 2
    ;;
esac
