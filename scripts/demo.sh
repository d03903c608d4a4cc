#!/usr/bin/env bash
# The demo: builds Quillon, starts hostsim with its built-in market and Quillon.exe under
# Wine, and opens T-quote boards with live quotes. With a display the windows stay until
# Ctrl-C (or --seconds); without one it runs under Xvfb with a Wine virtual desktop, writes
# screenshots to out/demo/screenshots and stops by itself. Either way it ends with the
# host's closing message, so Quillon exits in order and saves grid.xml.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

usage() {
  cat <<'EOF'
usage: bash scripts/demo.sh [--docked] [--seconds N] [--instruments N] [--every N]
  (default)        popup run mode: boards for a CFFEX index future and a CZCE call, and
                   the future's volatility smile
  --docked         normal run mode: the host sends a contract list and shows the frame
  --seconds N      stop after N seconds (default: 20 without a display, Ctrl-C with one)
  --instruments N  size of hostsim's built-in market (default 1200)
  --every N        seconds between screenshots without a display (default 4)
  --no-build       use what is built already (QUILLON_LINUX_BUILD and QUILLON_WINDOWS_BUILD
                   name other build folders than build/linux and build/win32 or build/win64)
The Windows build is the one this machine runs (scripts/windows-builds.sh): the i686
build where the kernel runs 32-bit programs, else the x86-64 one; QUILLON_WINDOWS_BUILDS
chooses (e.g. QUILLON_WINDOWS_BUILDS=win64).
EOF
}

mode=popup seconds="" instruments=1200 every=4 build=1
while [ $# -gt 0 ]; do
  case "$1" in
    --docked) mode=docked ;;
    --seconds) seconds="${2:-}"; shift ;;
    --instruments) instruments="${2:-}"; shift ;;
    --every) every="${2:-}"; shift ;;
    --no-build) build=0 ;;
    -h|--help) usage; exit 0 ;;
    *) echo "demo: unknown option $1" >&2; usage >&2; exit 2 ;;
  esac
  shift
done
for number in "$instruments" "$every" ${seconds:+"$seconds"}; do
  [[ "$number" =~ ^[1-9][0-9]*$ ]] || { echo "demo: '$number' is not a positive whole number" >&2; exit 2; }
done

say() { echo "demo: $*"; }

if ! windows_build=$(bash scripts/windows-builds.sh --first); then
  say "no Windows build can run on this machine:"; bash scripts/windows-builds.sh; exit 1
fi
export QUILLON_WINE_ARCH="$windows_build"
if [ "$windows_build" = win64 ]; then
  say "Windows build: win64 (x86-64), under Wine's 64-bit loader"
else
  say "Windows build: win32 (i686), under Wine's 32-bit loader"
fi

if [ $build -eq 1 ]; then
  bash scripts/setup.sh || exit 1
  mkdir -p build
  # Only the programs the demo runs; the test command builds the rest.
  for preset in "$windows_build" linux; do
    targets="hostsim"
    [ "$preset" = "$windows_build" ] && targets="Quillon TesselAPI quillon_e2e_probe"
    say "building $preset: $targets (log: build/demo-build-$preset.log)"
    # shellcheck disable=SC2086
    { cmake --preset "$preset" && cmake --build --preset "$preset" --target $targets; } \
      >"build/demo-build-$preset.log" 2>&1 ||
      { tail -n 40 "build/demo-build-$preset.log"; say "build $preset failed"; exit 1; }
  done
fi

hostsim_program="${QUILLON_LINUX_BUILD:-build/linux}/hostsim/hostsim"
bin="${QUILLON_WINDOWS_BUILD:-${QUILLON_WIN32_BUILD:-build/$windows_build}}/bin"
for file in "$hostsim_program" "$bin/Quillon.exe" "$bin/TesselAPI.dll" "$bin/quillon_e2e_probe.exe"; do
  [ -e "$file" ] || { say "$file is missing after the build"; exit 1; }
done

out="$root/out/demo"
app="$out/app"
shots="$out/screenshots"
mkdir -p "$out"
rm -rf "$app" "$shots"
mkdir -p "$app" "$shots"
cp "$bin/Quillon.exe" "$bin/TesselAPI.dll" "$app/"
if [ "$mode" = docked ]; then
  printf '[Startup]\r\nRunMode=0\r\n' >"$app/Quillon.INI"
else
  printf '[Startup]\r\nRunMode=2\r\n' >"$app/Quillon.INI"
fi
# A column set a trader might choose: prices, then the implied volatility and the delta.
{
  printf '<root>\r\n    <NormalGrid>\r\n'
  for id in 0 1 2 4 6 52 53; do printf '        <Column ID="%s" />\r\n' "$id"; done
  printf '    </NormalGrid>\r\n</root>\r\n'
} >"$app/grid.xml"

headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  : "${seconds:=20}"
  # A prefix of its own with a virtual desktop, which draws the window frames Xvfb lacks.
  export QUILLON_WINE_DIR="$out/wine-desktop-$windows_build" QUILLON_WINE_DESKTOP=1600x1000
else
  # The user's display has a window manager: Wine hands it our windows.
  export QUILLON_WINE_DIR="$out/wine-$windows_build" QUILLON_WINE_MANAGED=1
fi

# shellcheck source=scripts/processes.sh
source scripts/processes.sh
hostsim_log="$out/hostsim.log"

cleanup() {
  trap - EXIT INT TERM
  stop_processes loud
  [ -f "$app/grid.xml" ] && say "column set saved in ${app#"$root"/}/grid.xml"
  if [ $headless -eq 1 ]; then
    say "screenshots: ${shots#"$root"/} ($(find "$shots" -name '*.png' | wc -l) pictures)"
  fi
  say "hostsim's log of every frame: ${hostsim_log#"$root"/}"
}
trap cleanup EXIT
trap 'interrupted=1' INT TERM

say "starting the Wine session (the first run makes a Wine prefix: about half a minute)"
start_wine_session
# shellcheck disable=SC1091
source "$QUILLON_WINE_DIR/session"; export DISPLAY

start_hostsim "$hostsim_log" --instruments "$instruments" --log
total=$host_instruments
say "$(head -n 1 "$hostsim_log")"

say "starting Quillon.exe under Wine ($mode run mode), host 127.0.0.1:$port"
start_quillon_from "$app" "$out/quillon.log"

wait_host_line "log-in accepted" 60 "log-in from Quillon.exe"
say "logged in; loading $total instruments"
shown=0
for _ in $(seq 1 1200); do
  grep -q '^loaded instruments=' "$hostsim_log" && break
  quillon_running || fail "Quillon.exe ended during the load"
  [ $interrupted -eq 1 ] && exit 1
  loaded=$(grep -c "REQ_INSTRUMENT" "$hostsim_log")
  tenth=$(( loaded * 10 / total ))
  if [ "$tenth" -gt "$shown" ] && [ "$tenth" -lt 10 ]; then
    shown=$tenth; say "  loaded $loaded/$total ($(( tenth * 10 ))%)"
  fi
  sleep 0.1
done
wait_host_line "loaded instruments=" 1 "complete load"
say "$(grep -m1 -o 'plugin loaded all.*' "$hostsim_log")"

# Codes from the exchange lists hostsim sent: the first CFFEX future and the first CZCE call.
codes_of() { grep -m1 -E "EXCHANGE_CODES value=0 .*\] $1" "$hostsim_log" | sed -E 's/.*\[[0-9]+\] //'; }
future=$(codes_of 'I[FHM][0-9]{4} ' | tr ' ' '\n' | grep -m1 -E '^I[FHM][0-9]{4}$')
czce_call=$(codes_of '[A-Z]{2}[0-9]{3} ' | tr ' ' '\n' | grep -m1 -E '^[A-Z]{2}[0-9]{3}C[0-9]+$')

screen_width=$(xdpyinfo 2>/dev/null | sed -nE 's/ *dimensions: *([0-9]+)x.*/\1/p')
if [ "$mode" = popup ]; then
  [ -n "$future" ] && [ -n "$czce_call" ] || fail "the market has no CFFEX future or CZCE call"
  x=0 y=0
  for code in "$future" "$czce_call"; do
    underlying=$code
    [ "$code" = "$czce_call" ] && underlying=$(sed -E 's/C[0-9]+$//' <<<"$code")
    title="期权T型报价--$underlying"
    say "invoking the board for $code (the host's 0x1007)"
    host_command "invoke $code"
    probe wait-window "$(pattern "$title")" 30000 >/dev/null || fail "no window titled $title within 30 s"
    probe move "$(pattern "$title")" "$x" "$y" >/dev/null
    say "board opened: $title"
    # Side by side where the screen is wide enough, else one above the other.
    if [ "${screen_width:-0}" -ge 1760 ]; then x=880; else y=470; fi
  done
  # The first board's volatility smile, as its context menu's "波动率微笑" opens it: below
  # the boards where they stand side by side, else beside them.
  title="波动率微笑--$future"
  say "opening the volatility smile of $future (the board's context menu: 波动率微笑)"
  probe press "$(pattern "期权T型报价--$future")" 32785 >/dev/null || fail "cannot reach the board of $future"
  probe wait-window "$(pattern "$title")" 30000 >/dev/null || fail "no window titled $title within 30 s"
  if [ "${screen_width:-0}" -ge 1760 ]; then x=0 y=470; else x=890 y=0; fi
  probe move "$(pattern "$title")" "$x" "$y" >/dev/null
  say "chart opened: $title"
else
  wait_host_line "QUOTE_SUBSCRIBE" 30 "subscriptions of the contract list"
  say "contract list: $future and its options; showing the frame (the link's show window)"
  host_command "show 0 0 1280 720"
  probe wait-window "$(pattern "期权T型报价")" 30000 >/dev/null || fail "the frame did not show within 30 s"
  say "docked board shown"
fi

if [ -n "$seconds" ]; then
  say "quotes update twice a second; stopping in $seconds s"
else
  say "quotes update twice a second; Ctrl-C ends the demo"
fi
start=$SECONDS next_shot=$SECONDS shot=0
while [ $interrupted -eq 0 ]; do
  if ! quillon_running; then
    wait "$quillon_pid" 2>/dev/null
    status=$? quillon_pid=""
    fail "Quillon.exe ended by itself with status $status (its output: ${out#"$root"/}/quillon.log)"
  fi
  if [ $headless -eq 1 ] && [ $SECONDS -ge $next_shot ]; then
    shot=$((shot + 1))
    file=$(printf '%s/board-%02d.png' "$shots" "$shot")
    if import -window root "$file" 2>/dev/null; then say "screenshot ${file#"$root"/}"; fi
    next_shot=$((SECONDS + every))
  fi
  if [ -n "$seconds" ] && [ $((SECONDS - start)) -ge "$seconds" ]; then break; fi
  sleep 0.5
done
grep -q "QUOTE_PUSH" "$hostsim_log" && say "$(grep -c 'QUOTE_PUSH' "$hostsim_log") quotes pushed to Quillon"
exit 0
