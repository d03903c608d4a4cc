#!/usr/bin/env bash
# Which Windows builds this machine runs, found by trying each build's Wine loader.
#
#   windows-builds.sh           a line a build: "win32 run", or "win32 skip <why not>"
#   windows-builds.sh --first   the name of the build the demo, the benchmark and the
#                               end-to-end tests use (the first one run), or status 1
#
# The i686 build is the shipped plug-in and is tested wherever the kernel runs 32-bit
# programs; where it does not, Wine's 32-bit half cannot start and the x86-64 build is
# tested instead. QUILLON_WINDOWS_BUILDS (e.g. "win64", or "win32 win64") names the builds
# to run whatever the machine can do, so that the x86-64-only path can be checked on a
# machine that runs 32-bit programs too; a named build that cannot run here is an error.
set -uo pipefail
here=$(dirname "${BASH_SOURCE[0]}")

why_not() {
  QUILLON_WINE_ARCH="$1" QUILLON_WINE_DIR=/tmp bash -c \
    'source "$1/wine-env.sh" && quillon_wine_unusable' _ "$here" 2>&1
}

declare -A verdict
order=()
if [ -n "${QUILLON_WINDOWS_BUILDS:-}" ]; then
  for name in $QUILLON_WINDOWS_BUILDS; do
    case "$name" in
      win32 | win64) ;;
      *) echo "QUILLON_WINDOWS_BUILDS names '$name'; the builds are win32 and win64" >&2; exit 2 ;;
    esac
    reason=$(why_not "$name")
    if [ -n "$reason" ]; then
      echo "QUILLON_WINDOWS_BUILDS names $name, which cannot run here: $reason" >&2
      exit 2
    fi
    verdict[$name]="run"
    order+=("$name")
  done
  for name in win32 win64; do
    [ -n "${verdict[$name]:-}" ] || verdict[$name]="skip QUILLON_WINDOWS_BUILDS=\"$QUILLON_WINDOWS_BUILDS\""
  done
else
  reason32=$(why_not win32)
  if [ -z "$reason32" ]; then
    verdict[win32]="run"
    order+=(win32)
    verdict[win64]="skip the i686 build is the one tested where 32-bit programs run (QUILLON_WINDOWS_BUILDS=\"win32 win64\" runs both)"
  else
    verdict[win32]="skip this machine runs no 32-bit programs ($reason32)"
    reason64=$(why_not win64)
    if [ -z "$reason64" ]; then
      verdict[win64]="run"
      order+=(win64)
    else
      verdict[win64]="skip $reason64"
    fi
  fi
fi

if [ "${1:-}" = --first ]; then
  [ ${#order[@]} -gt 0 ] || exit 1
  echo "${order[0]}"
  exit 0
fi
for name in win32 win64; do echo "$name ${verdict[$name]}"; done
