#!/usr/bin/env bash
# The test command: installs what is missing, builds every tree (the two Windows builds:
# i686, the shipped plug-in, and x86-64; the native portable core and hostsim; the fuzz
# targets) and runs every suite with ctest: the Windows suites of each build this machine
# can run (scripts/windows-builds.sh), the native suites (the end-to-end ones against that
# build's programs) and the fuzz targets briefly. Exits non-zero when anything fails.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/setup.sh || exit 1

declare -A arch_name=([win32]="i686" [win64]="x86-64")
declare -A windows_verdict
run_builds=()
if ! verdicts=$(bash scripts/windows-builds.sh); then exit 1; fi
while read -r name verdict; do
  windows_verdict[$name]="$verdict"
  [ "$verdict" = run ] && run_builds+=("$name")
done <<<"$verdicts"
if [ ${#run_builds[@]} -eq 0 ]; then
  echo "no Windows build can run on this machine:"; echo "$verdicts"; exit 1
fi
echo "== Windows builds: ${run_builds[*]} run here (the end-to-end suites use ${run_builds[0]})"

status=0
mkdir -p build
# The Windows builds come first: the end-to-end suites of the native build run their
# programs. Both are always built, so each stays clean for its word size.
for preset in win32 win64 linux fuzz; do
  echo "== configure and build: $preset"
  if ! cmake --preset "$preset" >"build/build-$preset.log" 2>&1; then
    cat "build/build-$preset.log"; echo "configure $preset failed"; exit 1
  fi
  if ! cmake --build --preset "$preset" >>"build/build-$preset.log" 2>&1; then
    grep -E -B2 -A12 'error|Error' "build/build-$preset.log" | head -n 120
    echo "build $preset failed (whole log: build/build-$preset.log)"; exit 1
  fi
done

declare -A outcome
for preset in "${run_builds[@]}"; do
  echo "== test: $preset"
  if ctest --preset "$preset" --output-on-failure; then outcome[$preset]=passed; else outcome[$preset]=FAILED; status=1; fi
done
export QUILLON_WINDOWS_BIN="$root/build/${run_builds[0]}/bin"
for preset in linux fuzz; do
  echo "== test: $preset"
  if ctest --preset "$preset" --output-on-failure; then outcome[$preset]=passed; else outcome[$preset]=FAILED; status=1; fi
done

echo "== summary"
for name in win32 win64; do
  verdict=${windows_verdict[$name]}
  if [ "$verdict" = run ]; then
    echo "$name (${arch_name[$name]}): built; suites ${outcome[$name]}"
  else
    echo "$name (${arch_name[$name]}): built; not run: ${verdict#skip }"
  fi
done
echo "linux (native, the end-to-end suites with ${run_builds[0]}): suites ${outcome[linux]}"
echo "fuzz: targets ${outcome[fuzz]}"
if [ $status -eq 0 ]; then echo "all suites passed"; else echo "some suites FAILED"; fi
exit $status
