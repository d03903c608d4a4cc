#!/usr/bin/env bash
# The test command: installs what is missing, builds both targets (the native portable
# core and hostsim; the MinGW Quillon.exe, TesselAPI.dll and Wine tests) and runs every
# suite with ctest. Exits non-zero when anything fails.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/setup.sh || exit 1

status=0
mkdir -p build
# The Windows build comes first: the end-to-end suites of the native build run its programs.
# The fuzz build runs each libFuzzer target for a few seconds from its seeds.
for preset in win32 linux fuzz; do
  echo "== configure and build: $preset"
  if ! cmake --preset "$preset" >"build/build-$preset.log" 2>&1; then
    cat "build/build-$preset.log"; echo "configure $preset failed"; exit 1
  fi
  if ! cmake --build --preset "$preset" >>"build/build-$preset.log" 2>&1; then
    grep -E -B2 -A12 'error|Error' "build/build-$preset.log" | head -n 120
    echo "build $preset failed (whole log: build/build-$preset.log)"; exit 1
  fi
done

for preset in win32 linux fuzz; do
  echo "== test: $preset"
  ctest --preset "$preset" --output-on-failure || status=1
done

if [ $status -eq 0 ]; then echo "all suites passed"; else echo "some suites FAILED"; fi
exit $status
