#!/usr/bin/env bash
# The demo: builds Quillon and shows it under Wine. With no display it runs under Xvfb
# and writes screenshots to out/demo/screenshots.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
bash scripts/setup.sh || exit 1
mkdir -p build out/demo/screenshots
for preset in win32 linux; do
  echo "== build: $preset"
  { cmake --preset "$preset" && cmake --build --preset "$preset"; } >"build/demo-build-$preset.log" 2>&1 ||
    { tail -n 40 "build/demo-build-$preset.log"; echo "demo: build $preset failed"; exit 1; }
done

if [ -x build/linux/hostsim/hostsim ] && [ -f build/win32/bin/Quillon.exe ]; then
  exec bash scripts/demo-run.sh "$@"
fi
echo "demo: the board program is not built yet in this tree; the smoke window test shows the"
echo "      Win32 and Chinese-font ground under Wine:"
bash scripts/wine-run.sh build/win32/tests/win32/smoke/win32_smoke_tests.exe
