#!/usr/bin/env bash
# The benchmark command: runs the real processes (hostsim, TesselAPI.dll, Quillon.exe and
# small Windows programs under Wine) and measures the load, the quote ingest, host-to-screen
# latency, grid paints, memory and handles, and the link's own ceiling. Every time is taken
# inside a process on a monotonic clock: hostsim's steady clock, its stamps on
# CLOCK_MONOTONIC_RAW, Quillon's bench log and the Windows programs' performance counter
# (which Wine reads from CLOCK_MONOTONIC_RAW). Prints a table and writes it, with the
# machine, the Wine version, the date and notes on method, to docs/BENCHMARKS.md.
# Not part of the test command: no test asserts a time.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1

usage() {
  cat <<'EOF'
usage: bash scripts/bench.sh [--step-seconds N] [--runs N] [--quick] [--no-build] [--no-doc] [--only LIST]
  --step-seconds N  seconds per ingest step and per latency and ceiling run (default 20)
  --runs N          runs of the load and latency measurements, medians reported (default 3)
  --quick           a short pass to try the harness: 1 run, 6-second steps, 10 popup cycles
  --no-build        use build/bench-linux and build/bench-win32 (or -win64) as they are
  --no-doc          print the table but leave docs/BENCHMARKS.md alone
  --only LIST       only these sections, comma-separated, of: analytics, load, ingest,
                    latency, ceiling, paint, memory (the others show n/a), to try the
                    harness; implies --no-doc
Raw logs of every run go to out/bench/. The Windows build measured is the one this machine
runs (scripts/windows-builds.sh; QUILLON_WINDOWS_BUILDS=win64 chooses the x86-64 one).
EOF
}

step_seconds=20 runs=3 cycles=100 build=1 write_doc=1
all_sections="analytics load ingest latency ceiling paint memory"
only=""
while [ $# -gt 0 ]; do
  case "$1" in
    --step-seconds) step_seconds="${2:-}"; shift ;;
    --only) only="${2:-}"; shift ;;
    --runs) runs="${2:-}"; shift ;;
    --quick) step_seconds=6 runs=1 cycles=10 ;;
    --no-build) build=0 ;;
    --no-doc) write_doc=0 ;;
    -h|--help) usage; exit 0 ;;
    *) echo "bench: unknown option $1" >&2; usage >&2; exit 2 ;;
  esac
  shift
done
for number in "$step_seconds" "$runs"; do
  [[ "$number" =~ ^[1-9][0-9]*$ ]] || { echo "bench: '$number' is not a positive whole number" >&2; exit 2; }
done
sections="$all_sections"
if [ -n "$only" ]; then
  sections=""
  for section in ${only//,/ }; do
    [[ " $all_sections " == *" $section "* ]] ||
      { echo "bench: '$section' is not a section (one of: $all_sections)" >&2; exit 2; }
    sections+=" $section"
  done
  [ -n "$sections" ] || { echo "bench: --only needs at least one section" >&2; exit 2; }
  write_doc=0
fi
# True when section $1 runs.
runs_section() { [[ " $sections " == *" $1 "* ]]; }

say() { echo "bench: $*"; }
started_at=$SECONDS

if ! windows_build=$(bash scripts/windows-builds.sh --first); then
  say "no Windows build can run on this machine:"; bash scripts/windows-builds.sh; exit 1
fi
export QUILLON_WINE_ARCH="$windows_build"
# $build_label names, beside each figure, the build that gave it.
if [ "$windows_build" = win64 ]; then
  windows_toolchain=cmake/mingw-x86_64.cmake windows_machine="MinGW-w64 x86-64" wine_loader=/usr/lib/wine/wine64
  build_label="x86-64, wine64"
else
  windows_toolchain=cmake/mingw-i686.cmake windows_machine="MinGW-w64 i686" wine_loader=/usr/lib/wine/wine
  build_label="i686, wine32"
fi
native_label="native x86-64 (Linux)"

say "Windows build: $windows_build ($windows_machine), under $wine_loader"

linux_build="$root/build/bench-linux"
win32_build="$root/build/bench-$windows_build"
if [ $build -eq 1 ]; then
  bash scripts/setup.sh >/dev/null || { say "set-up failed (run bash scripts/setup.sh to see why)"; exit 1; }
  # Optimised trees of their own, without the sanitizers of the linux preset.
  say "building hostsim (RelWithDebInfo, log: build/bench-build-linux.log)"
  { cmake -S . -B "$linux_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
    cmake --build "$linux_build" -j2 --target hostsim implied_volatility_bench; } >build/bench-build-linux.log 2>&1 ||
    { tail -n 40 build/bench-build-linux.log; say "hostsim build failed"; exit 1; }
  say "building Quillon.exe, TesselAPI.dll, the probe, null_plugin.exe, empty_window.exe, grid_paint_bench.exe (log: build/bench-build-win32.log)"
  { cmake -S . -B "$win32_build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$windows_toolchain" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
    cmake --build "$win32_build" -j2 --target Quillon TesselAPI quillon_e2e_probe null_plugin empty_window grid_paint_bench; } \
    >build/bench-build-win32.log 2>&1 ||
    { tail -n 40 build/bench-build-win32.log; say "win32 build failed"; exit 1; }
fi
hostsim_program="$linux_build/hostsim/hostsim"
bin="$win32_build/bin"
for file in "$hostsim_program" "$bin/Quillon.exe" "$bin/TesselAPI.dll" "$bin/quillon_e2e_probe.exe" \
  "$bin/null_plugin.exe" "$bin/empty_window.exe" "$win32_build/bench/grid/grid_paint_bench.exe"; do
  [ -e "$file" ] || { say "$file is missing after the build"; exit 1; }
done

out="$root/out/bench"
rm -rf "$out"
mkdir -p "$out"
export QUILLON_WINE_DIR="$root/build/bench-wine-$windows_build"

# ---------------------------------------------------------------------------------------
# Processes: one Wine session for the whole run; one hostsim and at most one Windows
# program at a time (scripts/processes.sh).
# shellcheck source=scripts/processes.sh
source scripts/processes.sh

# Quillon closed as a host closes it, with a word when it did not end cleanly.
close_quillon() {
  stop_quillon
  [ "${quillon_status:-0}" -eq 0 ] ||
    say "note: Quillon.exe ended with status $quillon_status (its output: ${bench_log%.log}.out)"
}

cleanup() {
  trap - EXIT INT TERM
  stop_processes
}
trap cleanup EXIT
trap 'say "interrupted; stopping what was started"; exit 130' INT TERM

# The column set Quillon starts with when none is saved, and that set with every analytics
# column (on both sides of a T board).
default_columns="1 2 3 4 5 6 7"
analytics_columns="$default_columns 50 51 52 53 54 55 56 57 58 59 60"

# Starts Quillon.exe in run mode $1 (popup|normal) with its bench log at $2; with $3, a
# grid.xml choosing those column ids; $4, more lines for its INI.
start_quillon() {
  local mode=$1 app="$out/app"
  bench_log="$2"
  rm -rf "$app"; mkdir -p "$app"
  cp "$bin/Quillon.exe" "$bin/TesselAPI.dll" "$app/"
  if [ -n "${3:-}" ]; then
    {
      printf '<root>\r\n    <NormalGrid>\r\n'
      for id in $3; do printf '        <Column ID="%s" />\r\n' "$id"; done
      printf '    </NormalGrid>\r\n</root>\r\n'
    } >"$app/grid.xml"
  fi
  if [ "$mode" = normal ]; then
    printf '[Startup]\r\nRunMode=0\r\n' >"$app/Quillon.INI"
  else
    printf '[Startup]\r\nRunMode=2\r\n' >"$app/Quillon.INI"
  fi
  [ -n "${4:-}" ] && printf '%s' "$4" >>"$app/Quillon.INI"
  : >"$bench_log"
  # Wine reads a Unix path through drive Z:.
  start_quillon_from "$app" "${bench_log%.log}.out" QUILLON_BENCH_LOG="Z:${bench_log//\//\\}"
}

# The Windows process of Quillon.exe (Wine names it after the program), for /proc.
quillon_process() {
  ps -s "$quillon_pid" -o pid=,comm= 2>/dev/null | awk '$2 ~ /^Quillon\.exe/ {print $1; exit}'
}

board_title() { printf '期权T型报价--%s' "$1"; }

# ---------------------------------------------------------------------------------------
# Reading the figures.

# Median of the numbers on standard input (one a line); empty for none.
median() { sort -g | awk '{v[NR] = $1} END {if (NR == 0) exit; if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# Waits up to $2 seconds for the bench log to hold more than $1 "stats" lines.
wait_stats_after() {
  local limit=$(( $2 * 10 ))
  for _ in $(seq 1 "$limit"); do
    [ "$(grep -c '^stats ' "$bench_log" 2>/dev/null)" -gt "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

# "rss hwm" in MiB of process $1 (a Wine process: /proc/PID/status), "? ?" when it is gone.
process_memory() {
  local rss hwm
  rss=$(awk '/^VmRSS:/ {printf "%.1f", $2 / 1024}' "/proc/$1/status" 2>/dev/null)
  hwm=$(awk '/^VmHWM:/ {printf "%.1f", $2 / 1024}' "/proc/$1/status" 2>/dev/null)
  echo "${rss:-?} ${hwm:-?}"
}

# "rss hwm" in MiB of the Wine process, and Quillon's own "private gdi user" from its
# latest stats line (after a fresh one has come).
memory_now() {
  local before stats
  before=$(grep -c '^stats ' "$bench_log" 2>/dev/null)
  wait_stats_after "$before" 5 || true
  stats=$(grep '^stats ' "$bench_log" | tail -n 1)
  local private gdi user
  private=$(field "$stats" private) gdi=$(field "$stats" gdi) user=$(field "$stats" user)
  [ -n "$private" ] && private=$(awk -v b="$private" 'BEGIN {printf "%.1f", b / 1048576}')
  echo "$(process_memory "$(quillon_process)") ${private:-n/a} ${gdi:-n/a} ${user:-n/a}"
}

results="$out/results"
: >"$results"
# Figures for the table, as "name<TAB>value" lines.
record() { printf '%s\t%s\n' "$1" "$2" >>"$results"; }
result() { awk -F'\t' -v name="$1" '$1 == name {v = $2} END {print v}' "$results"; }

# ---------------------------------------------------------------------------------------
# The pricing core, natively: nanoseconds per implied-volatility solve and per price.
if runs_section analytics; then
  "$linux_build/bench/core/implied_volatility_bench" >"$out/implied-volatility.out" 2>&1 ||
    fail "implied_volatility_bench failed (see out/bench/implied-volatility.out)"
  for model in Black-76 Barone-Adesi-Whaley; do
    record "analytics.$model" "$(sed -nE "s/^$model: ([0-9]+) ns per implied volatility.* ([0-9]+) ns per price.*/\1 \2/p" "$out/implied-volatility.out")"
  done
  say "implied volatility: $(tr '\n' ';' <"$out/implied-volatility.out")"
fi

# ---------------------------------------------------------------------------------------
# Every section but the native one runs Windows programs.
if [ -n "${sections// analytics/}" ]; then
  say "starting the Wine session (prefix build/bench-wine-$windows_build; the first run makes it: about half a minute)"
  start_wine_session >/dev/null 2>&1
  # shellcheck disable=SC1091
  source "$QUILLON_WINE_DIR/session"; export DISPLAY
fi

# The ingest and latency market: 22 chains of 100 strikes each.
chain_options=(--instruments 700 --strikes 100)
listing="$out/market-700x100.txt"
"$hostsim_program" "${chain_options[@]}" --print-market >"$listing" || fail "hostsim cannot list its market"
mapfile -t chain_futures < <(awk '$3 == "future" {print $2}' "$listing")
[ "${#chain_futures[@]}" -ge 3 ] || fail "the market has fewer than three chains"
popup_a="${chain_futures[0]}"
# The second popup from another exchange, so the two boards differ in form.
popup_b=$(awk -v first="$(awk '$3 == "future" {print $1; exit}' "$listing")" '$3 == "future" && $1 != first {print $2; exit}' "$listing")
# The docked board: the first 500 contracts in listing order (whole chains, futures first).
docked_codes=$(head -n 500 "$listing" | awk '{printf "%s%s", (NR > 1 ? " " : ""), $2}')

# ---------------------------------------------------------------------------------------
if runs_section load; then
  say "load: log-in to DataReady for 2,000, 10,000 and 30,000 instruments, $runs run(s) each (normal run mode), each run followed by the floor (null_plugin.exe --load)"
  for size in 2000 10000 30000; do
    for run in $(seq 1 "$runs"); do
      start_hostsim "$out/load-$size-$run.hostsim.log" --instruments "$size"
      start_quillon normal "$out/load-$size-$run.log"
      wait_host_line "first-request-after-load " 600
      total=$host_instruments
      seconds=$(field "$(grep -m1 '^first-request-after-load ' "$hostsim_log")" seconds)
      login=$(grep -m1 '^login ' "$bench_log") ready=$(grep -m1 '^ready ' "$bench_log")
      own=""
      if [ -n "$login" ] && [ -n "$ready" ]; then
        own=$(awk -v a="$(field "$login" us)" -v b="$(field "$ready" us)" 'BEGIN {printf "%.3f", (b - a) / 1e6}')
      fi
      say "  $total instruments, run $run: hello to the contract-list request ${seconds} s (hostsim)${own:+, log-in to DataReady $own s (Quillon)}"
      echo "$seconds" >>"$out/load-$size.host"
      [ -n "$own" ] && echo "$own" >>"$out/load-$size.own"
      # The calls into the window server during the load, written once at DataReady.
      [ "$size" = 30000 ] && grep -m1 '^load-trace ' "$bench_log" >>"$out/load-trace.lines"
      record "load.$size.instruments" "$total"
      close_quillon
      stop_hostsim

      # The floor: the same conversation on the same market, and nothing else.
      start_hostsim "$out/load-floor-$size-$run.hostsim.log" --instruments "$size"
      if TESSEL_HOST="127.0.0.1:$port" run_windows "$out/load-floor-$size-$run.out" "$bin/null_plugin.exe" --load 600; then
        line=$(grep -m1 '^null-plugin load ' "$out/load-floor-$size-$run.out")
        floor_seconds=$(field "$line" seconds)
        say "  $(field "$line" instruments) instruments, run $run: the floor, log-in to the last instrument $floor_seconds s (null_plugin)"
        [ -n "$floor_seconds" ] && echo "$floor_seconds" >>"$out/load-$size.floor"
      else
        say "  note: null_plugin.exe --load failed: $(tail -n 2 "$out/load-floor-$size-$run.out" | tr '\n' ' ')"
      fi
      stop_hostsim
    done
    record "load.$size.host" "$(median <"$out/load-$size.host")"
    [ -f "$out/load-$size.own" ] && record "load.$size.own" "$(median <"$out/load-$size.own")"
    [ -f "$out/load-$size.floor" ] && record "load.$size.floor" "$(median <"$out/load-$size.floor")"
  done
  # The 30,000 run whose calls per instrument are the median of the runs.
  if [ -s "$out/load-trace.lines" ]; then
    record "load.trace" "$(awk '{for (i = 2; i <= NF; i++) if ($i ~ /^per_instrument=/) {split($i, kv, "="); print kv[2] "\t" $0}}' \
      "$out/load-trace.lines" | sort -g | awk -F'\t' '{v[NR] = $2} END {if (NR) print v[int((NR + 1) / 2)]}')"
  fi
fi

# ---------------------------------------------------------------------------------------
# Ingest: steps of paced quotes; a step is sustained when hostsim sent what was due, Quillon
# dispatched it, its backlog ended the step small and did not grow from the first half to
# the second, and nothing was conflated.
step_rates=(10000 20000 40000 80000 160000 240000 320000)
# One step at $1 quotes a second (or "flood"); appends a row to $out/ingest-$2.steps.
ingest_step() {
  local rate=$1 label=$2 before after lines sent missed verdict
  host_command stats
  before=$(grep -c '^stats ' "$bench_log")
  local host_before; host_before=$(grep -c '^host-stats ' "$hostsim_log")
  if [ "$rate" = flood ]; then host_command "rate flood"; else host_command "rate quotes $rate"; fi
  sleep "$step_seconds"
  host_command stats
  for _ in $(seq 1 30); do [ "$(grep -c '^host-stats ' "$hostsim_log")" -gt "$host_before" ] && break; sleep 0.1; done
  local host_stats; host_stats=$(grep '^host-stats ' "$hostsim_log" | tail -n 1)
  sent=$(field "$host_stats" rate) missed=$(field "$host_stats" missed)
  after=$(grep -c '^stats ' "$bench_log")
  lines=$(grep '^stats ' "$bench_log" | sed -n "$((before + 1)),${after}p")
  if [ -z "$lines" ]; then
    printf '%s %s %s - - - - - no-log\n' "$rate" "${sent:-?}" "${missed:-0}" >>"$out/ingest-$label.steps"
    say "    $rate/s: hostsim sent ${sent:-?}/s; no stats line from Quillon during the step (no bench log, or its interface thread stalled)"
    return 1
  fi
  # dispatch rate, first-half peak, second-half peak, last backlog, conflated in the step
  local summary
  summary=$(awk '
    function get(key,   i, kv) {for (i = 2; i <= NF; i++) {split($i, kv, "="); if (kv[1] == key) return kv[2]} return ""}
    {us[NR] = get("us"); q[NR] = get("quotes"); b[NR] = get("backlog"); c[NR] = get("conflated")}
    END {
      n = NR; half = int((n + 1) / 2); p1 = 0; p2 = 0
      for (i = 1; i <= n; i++) { if (i <= half) { if (b[i] > p1) p1 = b[i] } else if (b[i] > p2) p2 = b[i] }
      rate = (n > 1 && us[n] > us[1]) ? (q[n] - q[1]) * 1e6 / (us[n] - us[1]) : 0
      printf "%.0f %d %d %d %d\n", rate, p1, p2, b[n], c[n] - c[1]
    }' <<<"$lines")
  read -r dispatched peak1 peak2 last conflated <<<"$summary"
  # Small: a tenth of a second of arrivals, at least 1,000 messages.
  local bound
  bound=$(awk -v r="${sent:-0}" 'BEGIN {b = r / 10; print (b < 1000 ? 1000 : int(b))}')
  verdict=sustained
  if [ "$rate" != flood ] && awk -v s="${sent:-0}" -v r="$rate" 'BEGIN {exit !(s < 0.95 * r)}'; then
    verdict="not-taken"
  elif [ "$peak2" -gt "$peak1" ] && [ "$peak2" -gt "$bound" ] || [ "$last" -gt "$bound" ]; then
    verdict=growing
  elif [ "$conflated" -gt 0 ]; then
    verdict=conflated
  fi
  printf '%s %s %s %s %s %s %s %s %s\n' "$rate" "${sent:-?}" "${missed:-0}" "$dispatched" "$peak1" "$peak2" "$last" \
    "$conflated" "$verdict" >>"$out/ingest-$label.steps"
  say "    ${rate}/s: hostsim sent ${sent:-?}/s, Quillon dispatched $dispatched/s, backlog peak $peak1 then $peak2, last $last, conflated $conflated: $verdict"
  [ "$verdict" = sustained ]
}

# Back to two rounds a second until Quillon's backlog is under 1,000 again (at most 60 s),
# so a step that was not held does not weigh on the next.
drain() {
  host_command "rate 2"
  local stats backlog
  for _ in $(seq 1 120); do
    sleep 0.5
    stats=$(grep '^stats ' "$bench_log" | tail -n 1)
    backlog=$(field "$stats" backlog)
    [ -n "$backlog" ] && [ "$backlog" -lt 1000 ] && break
    [ -z "$stats" ] && break
  done
  sleep 1
}

# Runs the ladder in the current Quillon; records the highest sustained rate under $1.
ingest_ladder() {
  local label=$1 best=0 failed=""
  : >"$out/ingest-$label.steps"
  for rate in "${step_rates[@]}"; do
    if ingest_step "$rate" "$label"; then best=$rate; else failed=$rate; break; fi
  done
  # One step halfway between the last rate held and the first that was not.
  if [ -n "$failed" ] && [ "$best" -gt 0 ]; then
    local middle=$(( (best + failed) / 2 ))
    drain
    if ingest_step "$middle" "$label"; then best=$middle; fi
  fi
  drain
  # And the flood itself, as the null plugin gets it.
  ingest_step flood "$label" || true
  host_command "rate 2"
  record "ingest.$label" "$best"
  # What Quillon dispatched in that step: the rate asked less what the link dropped.
  record "ingest.$label.dispatched" "$(awk -v r="$best" '$1 == r {v = $4} END {print v}' "$out/ingest-$label.steps")"
  # Every step held: the figure is a floor, not the limit.
  [ -z "$failed" ] && record "ingest.$label.floor" yes
  local flood_row; flood_row=$(tail -n 1 "$out/ingest-$label.steps")
  record "ingest.$label.flood" "$(awk '{print $4 " " $2 " " $7 " " $8}' <<<"$flood_row")"
}

# Opens the two popups in a Quillon just started.
open_popups() {
  local code
  for code in "$popup_a" "$popup_b"; do
    host_command "invoke $code"
    probe wait-window "$(pattern "$(board_title "$code")")" 30000 || fail "no board for $code within 30 s"
  done
}

# The ladder with the two popups showing the columns $2 (and the INI lines $3), recorded
# under label $1.
ingest_popups() {
  start_hostsim "$out/ingest-$1.hostsim.log" "${chain_options[@]}"
  start_quillon popup "$out/ingest-$1.log" "$2" "${3:-}"
  wait_host_line "loaded instruments=" 120
  open_popups
  sleep 2
  ingest_ladder "$1"
  close_quillon
  stop_hostsim
}

if runs_section ingest; then
  say "ingest: popup run mode, two popups of 100 strikes ($popup_a, $popup_b), ${step_seconds} s a step"
  ingest_popups popup "$default_columns"
  say "ingest: the same with the eleven analytics columns on both sides of the boards"
  ingest_popups popup-analytics "$analytics_columns"
  say "ingest: the same as the first, with the at-the-money mark, the shading and the change flashes off"
  ingest_popups popup-plain "$default_columns" $'[Board]\r\nMarkAtTheMoney=0\r\nShadeInTheMoney=0\r\nChangeFlashes=0\r\n'

  say "ingest: normal run mode, the docked board showing 500 contracts, ${step_seconds} s a step"
  start_hostsim "$out/ingest-docked.hostsim.log" "${chain_options[@]}"
  host_command "list $docked_codes"
  start_quillon normal "$out/ingest-docked.log"
  wait_host_line "first-request-after-load " 120
  host_command "show 0 0 1280 900"
  probe wait-window "$(pattern "期权T型报价")" 30000 || fail "the frame did not show within 30 s"
  sleep 2
  ingest_ladder docked
  close_quillon
  stop_hostsim
fi

# ---------------------------------------------------------------------------------------
# Stamped quotes at 20,000 a second to the two popups showing the columns $2; figures under
# latency.$1.
latency_runs() {
  local label=$1 columns=$2 run kind key line
  for run in $(seq 1 "$runs"); do
    start_hostsim "$out/latency-$label-$run.hostsim.log" "${chain_options[@]}" --stamp
    start_quillon popup "$out/latency-$label-$run.log" "$columns"
    wait_host_line "loaded instruments=" 120
    open_popups
    host_command "rate quotes 20000"
    sleep "$step_seconds"
    host_command stats
    sleep 0.5
    close_quillon
    stop_hostsim
    for kind in write paint; do
      line=$(grep "^latency kind=$kind " "$bench_log" | tail -n 1)
      if [ -n "$line" ]; then
        for key in p50 p99 n; do field "$line" "$key" >>"$out/latency-$label-$kind.$key"; done
        say "  run $run: to the $kind: n=$(field "$line" n) p50=$(field "$line" p50) µs p99=$(field "$line" p99) µs"
      else
        say "  run $run: no latency kind=$kind line from Quillon (no bench log?)"
      fi
    done
  done
  for kind in write paint; do
    for key in p50 p99 n; do
      [ -f "$out/latency-$label-$kind.$key" ] && record "latency.$label.$kind.$key" "$(median <"$out/latency-$label-$kind.$key")"
    done
  done
}

if runs_section latency; then
  say "latency: stamped quotes at 20,000 a second to the two popups, ${step_seconds} s, $runs run(s)"
  latency_runs popup "$default_columns"
  say "latency: the same with the eleven analytics columns on both sides"
  latency_runs popup-analytics "$analytics_columns"
fi

# ---------------------------------------------------------------------------------------
if runs_section ceiling; then
  say "the link's ceiling: the same flood to null_plugin.exe (500 contracts), ${step_seconds} s, 2 runs"
  for run in 1 2; do
    start_hostsim "$out/null-$run.hostsim.log" "${chain_options[@]}" --flood
    host_command "list $docked_codes"
    TESSEL_HOST="127.0.0.1:$port" run_windows "$out/null-$run.out" "$bin/null_plugin.exe" "$step_seconds" ||
      fail "null_plugin.exe failed: $(tail -n 3 "$out/null-$run.out")"
    stop_hostsim
    line=$(grep '^null-plugin result ' "$out/null-$run.out")
    say "  run $run: median $(field "$line" median) quotes/s (min $(field "$line" min), max $(field "$line" max))"
    field "$line" median >>"$out/null.rates"
  done
  record "ceiling" "$(median <"$out/null.rates")"

  say "the link's own latency: stamped quotes at 20,000 a second to null_plugin.exe, ${step_seconds} s"
  start_hostsim "$out/null-latency.hostsim.log" "${chain_options[@]}" --stamp --quote-rate 20000
  host_command "list $docked_codes"
  TESSEL_HOST="127.0.0.1:$port" run_windows "$out/null-latency.out" "$bin/null_plugin.exe" "$step_seconds" --latency ||
    fail "null_plugin.exe failed: $(tail -n 3 "$out/null-latency.out")"
  stop_hostsim
  line=$(grep '^null-plugin latency ' "$out/null-latency.out")
  record "latency.link" "$(field "$line" p50) $(field "$line" p99)"
  say "  host to callback: p50 $(field "$line" p50) µs, p99 $(field "$line" p99) µs"
fi

# ---------------------------------------------------------------------------------------
if runs_section paint; then
  say "paint: grid_paint_bench.exe, 3 runs"
  for run in 1 2 3; do
    run_windows "$out/paint-$run.out" "$win32_build/bench/grid/grid_paint_bench.exe" || fail "grid_paint_bench.exe failed"
    # "whole chain 150 x 15  full paint  36.3 ms | one cell + its repaint 0.13 ms | ..."
    grep '^whole chain' "$out/paint-$run.out" | sed -E 's/.*full paint +([0-9.]+) ms.*one cell \+ its repaint +([0-9.]+) ms.*full paint +([0-9.]+) ms/\1 \2 \3/' \
      >>"$out/paint.whole"
    grep '^board view' "$out/paint-$run.out" | sed -E 's/.*full paint +([0-9.]+) ms.*one cell \+ its repaint +([0-9.]+) ms.*full paint +([0-9.]+) ms/\1 \2 \3/' \
      >>"$out/paint.view"
  done
  for view in whole view; do
    for column in 1 2 3; do
      record "paint.$view.$column" "$(awk -v c=$column '{print $c}' "$out/paint.$view" | median)"
    done
  done
  say "  150 x 15 full paint $(result paint.whole.1) ms, one cell + its repaint $(result paint.whole.2) ms"
fi

# ---------------------------------------------------------------------------------------
if runs_section memory; then
  # Runs empty_window.exe with arguments $3... and records its resident set as $1, its
  # output in $out/$2.
  measure_empty_window() {
    local key=$1 output="$out/$2" empty_run empty_pid
    shift 2
    # Its output comes only when it ends (scripts/wine-run.sh): the probe sees the window.
    setsid bash scripts/wine-run.sh "$bin/empty_window.exe" 60 "$@" >"$output" 2>&1 &
    empty_run=$!
    if probe wait-window empty_window 30000; then
      # Settled as long as Quillon is below before each reading.
      sleep 2
      empty_pid=$(ps -s "$empty_run" -o pid=,comm= 2>/dev/null | awk '$2 ~ /^empty_window/ {print $1; exit}')
      [ -n "$empty_pid" ] && record "$key" "$(process_memory "$empty_pid")"
      # Closed as a user closes it (else it ends by itself after its 60 s).
      probe close empty_window || true
    else
      say "  note: no empty_window within 30 s"
    fi
    windows_pid=$empty_run
    wait "$windows_pid" || say "  note: empty_window.exe ended with status $? ($(tail -n 2 "$output" | tr '\n' ' '))"
    windows_pid=""
  }

  say "memory: the baseline, empty_window.exe, an empty window in the same prefix"
  measure_empty_window memory.baseline empty-window.out
  say "  empty window: $(result memory.baseline) (VmRSS VmHWM MiB)"

  say "memory and handles: 30,000 instruments in popup run mode, 10 popups, $cycles open/close cycles"
  listing30="$out/market-30000.txt"
  "$hostsim_program" --instruments 30000 --print-market >"$listing30" || fail "hostsim cannot list its market"
  mapfile -t futures30 < <(awk '$3 == "future" {print $2}' "$listing30" | head -n 10)
  start_hostsim "$out/memory.hostsim.log" --instruments 30000
  start_quillon popup "$out/memory.log"
  wait_host_line "loaded instruments=" 600
  sleep 2
  record "memory.loaded" "$(memory_now)"
  say "  after the load: $(result memory.loaded) (VmRSS VmHWM MiB, Quillon's private MiB, GDI, USER)"
  for code in "${futures30[@]}"; do
    host_command "invoke $code"
    probe wait-window "$(pattern "$(board_title "$code")")" 30000 || fail "no board for $code within 30 s"
  done
  # The last board's outer size ("window HWND PID X Y WIDTH HEIGHT ..."), for the windows'
  # own share below.
  popup_size=$(awk '$1 == "window" {print $6, $7; exit}' "$out/probe.out")
  sleep 2
  record "memory.popups" "$(memory_now)"
  say "  10 popups open: $(result memory.popups)"
  for code in "${futures30[@]}"; do
    probe close "$(pattern "$(board_title "$code")")" wait-gone "$(pattern "$(board_title "$code")")" 30000 ||
      fail "the board for $code did not close"
  done
  for cycle in $(seq 1 "$cycles"); do
    code="${futures30[$(( (cycle - 1) % ${#futures30[@]} ))]}"
    host_command "invoke $code"
    title=$(pattern "$(board_title "$code")")
    probe wait-window "$title" 30000 close "$title" wait-gone "$title" 30000 || fail "popup cycle $cycle ($code) failed"
    [ $(( cycle % 25 )) -eq 0 ] && say "  $cycle cycles"
  done
  sleep 2
  record "memory.cycles" "$(memory_now)"
  say "  after $cycles cycles: $(result memory.cycles)"
  close_quillon
  stop_hostsim

  # Under Wine every top-level window keeps a surface of its own in the process; ten empty
  # windows of a board's size tell how much of the popups' figure is that.
  if [ -n "${popup_size:-}" ]; then
    read -r popup_width popup_height <<<"$popup_size"
    measure_empty_window memory.windows10 empty-windows.out 10 "$popup_width" "$popup_height"
    record "memory.popup_size" "${popup_width}x${popup_height}"
    say "  ten empty windows of a board's size (${popup_width} x ${popup_height}): $(result memory.windows10) (VmRSS VmHWM MiB)"
  fi
fi

# ---------------------------------------------------------------------------------------
# The table.
cpu=$(sed -nE 's/^model name\s*:\s*//p' /proc/cpuinfo | head -n 1)
machine="$(nproc) cores ($cpu), $(free -g | awk '/^Mem:/ {print $2}') GiB, $(. /etc/os-release && echo "$PRETTY_NAME"), kernel $(uname -r)"
wine_version=$("$wine_loader" --version 2>/dev/null)
today=$(date -u +%Y-%m-%d)
elapsed=$(( SECONDS - started_at ))

# A figure with its unit, or n/a.
orna() { if [ -n "$1" ]; then echo "$1${2:+ $2}"; else echo "n/a"; fi; }
ms() { [ -n "$1" ] && awk -v v="$1" 'BEGIN {printf "%.2f", v / 1000}' || echo "n/a"; }
# Whole numbers with thousands separators (mawk has no %' format).
thousands() { awk -v v="$1" 'BEGIN {s = sprintf("%.0f", v); while (s ~ /[0-9][0-9][0-9][0-9]/) sub(/[0-9][0-9][0-9]($|,)/, ",&", s); print s}'; }
# A rate, "none" for zero, n/a when its section did not run.
per_second() { if [ -z "$1" ]; then echo "n/a"; elif [ "$1" != 0 ]; then thousands "$1"; else echo "none"; fi; }
fraction() { awk -v a="$1" -v b="$2" 'BEGIN {if (a > 0 && b > 0) printf "%.1f %%", 100 * a / b; else print "n/a"}'; }
mem_cell() {
  local value; value=$(awk -v i="$2" '{print $i}' <<<"$(result "$1")")
  # Wine 8 answers GetGuiResources and the private bytes of GetProcessMemoryInfo with 0.
  if [ "$2" -ge 3 ] && { [ "$value" = 0 ] || [ "$value" = 0.0 ]; }; then value="0 (Wine 8 reports 0)"; fi
  echo "${value:-n/a}"
}
# Quillon's time as a multiple of the floor's.
multiple() { awk -v a="$1" -v b="$2" 'BEGIN {if (a > 0 && b > 0) printf "%.2f ×\n", a / b; else print "n/a"}'; }
# Quillon's VmRSS at stage $1 less the empty window's.
above() {
  local rss baseline
  rss=$(awk '{print $1}' <<<"$(result "$1")") baseline=$(awk '{print $1}' <<<"$(result memory.baseline)")
  awk -v a="$rss" -v b="$baseline" 'BEGIN {if (a + 0 > 0 && b + 0 > 0) printf "%.1f MiB", a - b; else print "n/a"}'
}
# The load-trace line: "load-trace instruments=N calls=C per_instrument=X key=V ...".
trace_cell() {
  local line; line=$(result load.trace)
  [ -n "$line" ] || { echo "n/a"; return; }
  awk '{
    n = 0; out = ""
    for (i = 2; i <= NF; i++) {
      split($i, kv, "=")
      if (kv[1] == "instruments") n = kv[2]; else if (kv[1] == "calls") calls = kv[2]
      else if (kv[1] == "per_instrument") per = kv[2]
      else if (n > 0) out = out (out == "" ? "" : ", ") kv[1] " " sprintf("%.2f", kv[2] / n)
    }
    printf "%s (%s calls, %s instruments)%s\n", per, calls, n, (out == "" ? "" : "; per instrument: " out)
  }' <<<"$line"
}
ceiling=$(result ceiling)
host_label="hostsim (native) with the $build_label build"

table="$out/table.md"
{
  echo "| measurement | figure | build |"
  echo "|---|---|---|"
  for size in 2000 10000 30000; do
    instruments=$(result "load.$size.instruments")
    instruments=${instruments:-"about $size"}
    echo "| load, $instruments instruments: hello to first request after the load (hostsim), median of $runs | $(orna "$(result "load.$size.host")" s) | $host_label |"
    echo "| load, $instruments instruments: log-in to DataReady (Quillon's log), median of $runs | $(orna "$(result "load.$size.own")" s) | $build_label |"
    echo "| load, $instruments instruments: the floor, log-in to the last instrument (null_plugin.exe --load), median of $runs | $(orna "$(result "load.$size.floor")" s) | $build_label |"
    echo "| load, $instruments instruments: Quillon's log-in to DataReady as a multiple of the floor (target 1.3 × at most) | $(multiple "$(result "load.$size.own")" "$(result "load.$size.floor")") | $build_label |"
  done
  echo "| calls into the window server per instrument during the load, 30,000-instrument run (Quillon's load-trace) | $(trace_cell) | $build_label |"
  floor() { [ "$(result "ingest.$1.floor")" = yes ] && echo "at least "; }
  held() {
    if [ -z "$(result "ingest.$1")" ]; then
      echo "n/a"
    elif [ "$(result "ingest.$1")" -gt 0 ] 2>/dev/null; then
      echo "$(floor "$1")$(per_second "$(result "ingest.$1.dispatched")") quotes/s dispatched (step of $(per_second "$(result "ingest.$1")") asked)"
    else
      echo "none"
    fi
  }
  echo "| ingest, popup run mode, two popups of 100 strikes: highest sustained rate | $(held popup) | $build_label |"
  echo "| ingest, the two popups with the eleven analytics columns on both sides: highest sustained rate | $(held popup-analytics) | $build_label |"
  echo "| ingest with the analytics columns as a fraction of the rate without them | $(fraction "$(result ingest.popup-analytics.dispatched)" "$(result ingest.popup.dispatched)") | $build_label |"
  echo "| ingest, the two popups with the money marks and change flashes off: highest sustained rate | $(held popup-plain) | $build_label |"
  echo "| ingest with the marks and flashes on (the default) as a fraction of the rate with them off | $(fraction "$(result ingest.popup.dispatched)" "$(result ingest.popup-plain.dispatched)") | $build_label |"
  echo "| ingest, normal run mode, docked board of 500 contracts: highest sustained rate | $(held docked) | $build_label |"
  for label in popup docked; do
    read -r fd fs fb fc <<<"$(result "ingest.$label.flood")"
    [ "$label" = popup ] && name=popups || name=docked
    if [ -n "$fd" ]; then
      echo "| under the flood, $name: dispatched by Quillon / sent by hostsim; backlog at the end; quotes conflated | $(per_second "$fd") / $(per_second "$fs") quotes/s; $(orna "$fb"); $(thousands "${fc:-0}") in ${step_seconds} s | $build_label |"
    else
      echo "| under the flood, $name: dispatched by Quillon / sent by hostsim; backlog at the end; quotes conflated | n/a | $build_label |"
    fi
  done
  echo "| the link's ceiling: null_plugin.exe under the same flood, median of 2 | $(if [ -n "$ceiling" ]; then echo "$(per_second "$ceiling") quotes/s"; else echo "n/a"; fi) | $build_label |"
  echo "| Quillon's sustained ingest as a fraction of the ceiling, popups / docked | $(fraction "$(result ingest.popup.dispatched)" "$ceiling") / $(fraction "$(result ingest.docked.dispatched)" "$ceiling") | $build_label |"
  echo "| latency at 20,000 quotes/s, host send to cell text written, p50 / p99 (median of $runs) | $(ms "$(result latency.popup.write.p50)") / $(ms "$(result latency.popup.write.p99)") ms | $build_label |"
  echo "| latency at 20,000 quotes/s, host send to the next paint, p50 / p99 (median of $runs) | $(ms "$(result latency.popup.paint.p50)") / $(ms "$(result latency.popup.paint.p99)") ms | $build_label |"
  echo "| the same with the eleven analytics columns on both sides, host send to the next paint, p50 / p99 | $(ms "$(result latency.popup-analytics.paint.p50)") / $(ms "$(result latency.popup-analytics.paint.p99)") ms | $build_label |"
  read -r l50 l99 <<<"$(result latency.link)"
  echo "| the link alone at 20,000 quotes/s: host send to null_plugin's callback, p50 / p99 | $(ms "$l50") / $(ms "$l99") ms | $build_label |"
  echo "| paint, 150 rows x 15 columns: full paint (median of 3) | $(orna "$(result paint.whole.1)" ms) | $build_label |"
  echo "| paint, 150 x 15: one quote's cell update plus its repaint | $(orna "$(result paint.whole.2)" ms) | $build_label |"
  echo "| paint, board view 1080 x 600: full paint / one cell + its repaint | $(orna "$(result paint.view.1)") / $(orna "$(result paint.view.2)") ms | $build_label |"
  for model in Black-76 Barone-Adesi-Whaley; do
    read -r solve price <<<"$(result "analytics.$model")"
    echo "| implied volatility, $model (native, a 100-strike chain's options): ns per solve / per price | $(orna "$solve") / $(orna "$price") ns | $native_label |"
  done
  echo "| memory of an empty window (empty_window.exe, the baseline): VmRSS / VmHWM of the Wine process | $(mem_cell memory.baseline 1) / $(mem_cell memory.baseline 2) MiB | $build_label |"
  for stage in loaded popups cycles; do
    target=""
    case $stage in
      loaded) name="after the 30,000-instrument load" ;;
      popups) name="with 10 popups open" target=" (target 24 MiB at most)" ;;
      cycles) name="after $cycles popup open/close cycles" ;;
    esac
    echo "| memory $name: VmRSS above the empty window's$target | $(above "memory.$stage") | $build_label |"
    echo "| memory $name: VmRSS / VmHWM of the Wine process | $(mem_cell "memory.$stage" 1) / $(mem_cell "memory.$stage" 2) MiB | $build_label |"
    echo "| Quillon's own figures $name: private MiB, GDI objects, USER objects | $(mem_cell "memory.$stage" 3), $(mem_cell "memory.$stage" 4), $(mem_cell "memory.$stage" 5) | $build_label |"
    if [ "$stage" = popups ]; then
      echo "| Wine's own share of the popups: ten empty windows of a board's size ($(orna "$(result memory.popup_size)")), VmRSS above the one-window baseline | $(above memory.windows10) | $build_label |"
    fi
  done
} >"$table"

steps_table() {
  echo "| rate asked | sent by hostsim /s | missed | dispatched by Quillon /s | backlog peak, 1st half | 2nd half | at the end | conflated | verdict |"
  echo "|---|---|---|---|---|---|---|---|---|"
  # No rows when the ingest section did not run.
  [ -f "$1" ] && awk '{printf "| %s | %s | %s | %s | %s | %s | %s | %s | %s |\n", $1, $2, $3, $4, $5, $6, $7, $8, $9}' "$1"
}

echo
echo "Quillon benchmarks, $today: $machine; $wine_version; ${elapsed} s; Windows figures from the $build_label build"
echo
cat "$table"
if runs_section ingest; then
  echo
  echo "Ingest steps, popups:"; steps_table "$out/ingest-popup.steps"
  echo
  echo "Ingest steps, popups with the analytics columns:"; steps_table "$out/ingest-popup-analytics.steps"
  echo
  echo "Ingest steps, popups with the money marks and flashes off:"; steps_table "$out/ingest-popup-plain.steps"
  echo
  echo "Ingest steps, docked:"; steps_table "$out/ingest-docked.steps"
fi
echo

if [ $write_doc -eq 1 ]; then
  {
    cat <<EOF
# Benchmarks

Made by \`bash scripts/bench.sh\` on $today in ${elapsed} s (${step_seconds}-second steps, $runs
run(s) of the load and latency measurements). Raw logs of each run are in \`out/bench/\`.

- Machine: $machine
- Wine: $wine_version through \`$wine_loader\`, on Xvfb (no virtual desktop), $windows_build prefix of its own in \`build/bench-wine-$windows_build\`
- Builds: RelWithDebInfo without sanitizers, hostsim in \`build/bench-linux\`, the Windows
  programs ($windows_machine, posix threads) in \`build/bench-$windows_build\`. The build
  column names the build behind each figure: "$build_label" is the $windows_machine build
  under \`$wine_loader\`; "$native_label" is a native program of \`build/bench-linux\`.

EOF
    cat "$table"
    cat <<EOF

Ingest steps with two popups (popup run mode; every step table is of the $build_label build):

EOF
    steps_table "$out/ingest-popup.steps"
    cat <<EOF

The same with the eleven analytics columns (ids 50 to 60) on both sides of both boards:

EOF
    steps_table "$out/ingest-popup-analytics.steps"
    cat <<EOF

The same with the at-the-money mark, the in-the-money shading and the change flashes off
(\`[Board]\` in the INI; the runs above have them on, as Quillon starts):

EOF
    steps_table "$out/ingest-popup-plain.steps"
    cat <<EOF

Ingest steps with the docked board (normal run mode):

EOF
    steps_table "$out/ingest-docked.steps"
    cat <<'EOF'

## Method

All times come from monotonic clocks inside the processes; the script only starts
programs, sends hostsim commands and reads what they write. No test asserts any of these
figures.

- **Load.** hostsim's built-in market at `--instruments 2000`, `10000` and `30000` (the
  market comes close to the count; the table names the exact size) and Quillon.exe in the
  normal run mode. hostsim times, on its steady clock, the plugin's hello to its first
  request after it has asked for every instrument (the contract list, 0x7011, which Quillon
  sends when DataReady is set). Quillon's own figure is `ready us` minus `login us` from
  its bench log (`QUILLON_BENCH_LOG`). Median of the runs.
- **The load's floor.** After each of Quillon's load runs, `null_plugin.exe --load`
  (`bench/null_plugin/LoadFloor.cpp`) plays the same conversation against a fresh hostsim
  with the same market: the log-in's host-text and exchange-list requests, each
  exchange's codes in the list's order, then each instrument in code order, one request
  outstanding, with Quillon's request ids and payloads. Each reply goes from
  TesselAPI.dll's thread to a hidden top-level window by `PostMessageW`, and the window's
  thread sends the next request, as in Quillon; nothing else is done with a reply (an
  instrument's record is not even copied). Its figure is the time on the performance
  counter from its turn with the log-in result to its turn with the last instrument, the
  span of Quillon's `login` and `ready` lines; Quillon's figure is given as a multiple of
  it (median over median), to be read against 1.3 ×. The floor is what the link, the
  hand-over to a window thread and Wine cost per round trip when the program itself costs
  nothing.
- **Calls into the window server.** Quillon writes, once at DataReady, a line
  `load-trace instruments=N calls=C per_instrument=X post=P peek=K ...` to its bench
  log: the calls it made into the window server during the load, in all and by kind. The
  table copies it from the 30,000-instrument load run whose `per_instrument` is the median
  of the runs, with each kind divided by the instruments; any kind after `per_instrument`
  is shown as it comes.
- **Ingest.** A market of 22 chains of 100 strikes (`--instruments 700 --strikes 100`,
  4,422 instruments). The popup run mode opens two popup boards (`invoke` of two futures
  of different exchanges: each board subscribes its future and its 200 options); the
  normal run mode cannot show popups, so the docked board is measured in a second run,
  with the first 500 contracts of the market as the host's contract list and the frame
  shown. hostsim then pushes paced quotes (`rate quotes N`: N a second round the
  subscriptions, in bursts every millisecond) in steps of 10,000, 20,000, 40,000, 80,000,
  160,000, 240,000 and 320,000 a second until one is not held, then one step halfway
  between the last rate held and the first that was not, then the flood (where Quillon's
  figure is what it dispatched, held or not). A step is *sustained* when hostsim sent at least 95 %
  of the rate (else *not-taken*: the plugin did not take the quotes off the link that fast, so hostsim dropped what was due), Quillon's backlog (arrivals not yet dispatched, from
  its once-a-second `stats` lines) ended the step no higher than a tenth of a second of
  arrivals (at least 1,000) and its second-half peak was not above both that bound and
  the first-half peak (else *growing*), and no quote was conflated (else *conflated*).
  Steps last 20 s rather than 60 s so that the whole command stays near 20 minutes; the
  verdict reads the trend within the step, not its length. Near the limit a step's verdict
  can change from one run to the next (hostsim's dropped quotes hover around the 95 %
  line), so read the highest rate held to within the step below and above it. The popup
  ladder runs three times: with the column set Quillon starts with (ids 1 to 7) and its
  default marks (at-the-money strike, in-the-money shading, change flashes), then with that
  set and the eleven analytics columns (a `grid.xml` beside the program), which Quillon
  rewrites on its four-a-second timer for the rows near the view, and then with the marks
  switched off in the INI.
- **Latency.** hostsim `--stamp` writes the low 32 bits of `CLOCK_MONOTONIC_RAW` in
  microseconds into the request id of each pushed quote as it queues it; Quillon reads
  `QueryPerformanceCounter`, which Wine counts on the same clock, when it writes the
  quote's cell texts and when the grid next paints, and logs p50, p99 and max at exit. Two
  popups, 20,000 quotes a second, without and with the analytics columns. The same stamps to null_plugin.exe give the link's own
  share (hostsim queue, socket, TesselAPI.dll's thread, Wine).
- **The link's ceiling.** `bench/null_plugin` is a Windows program on our TesselAPI.dll
  that logs in, asks for the contract list (the same 500 contracts as the docked board),
  subscribes each with 0x7001 and only counts quote pushes in its callback, once a
  second. Under hostsim's flood its median per-second count is the most the link delivers
  on this machine; Quillon's highest sustained rate (what it dispatched in the highest
  step held) is given as a fraction of it.
- **Paint.** `bench/grid`'s grid_paint_bench.exe (see bench/grid/README.md), median of
  three runs.
- **Memory and handles.** Popup run mode with `--instruments 30000`: after the load, with
  popups for 10 futures open, and after popup open/close cycles (hostsim `invoke CODE`,
  then the probe's `wait-window`, `close` and `wait-gone` on "期权T型报价--CODE", over the
  same 10 futures). VmRSS and VmHWM come from `/proc/PID/status` of the Wine process
  running Quillon.exe; private bytes, GDI and USER objects from Quillon's latest `stats`
  line. Wine 8 reports 0 for the GDI and USER object counts and for private bytes, so
  those columns show 0 under Wine; VmRSS is the figure to read here.
- **The memory baseline.** `bench/empty_window`'s empty_window.exe, built with the same
  toolchain into the same tree, registers a class, creates and shows an empty window and
  pumps its messages; it runs in the same prefix just before Quillon, and its VmRSS is
  read the same way two seconds after its window has shown. Quillon's VmRSS above it is
  what Quillon itself holds beyond Wine's own libraries, the wineserver link and the X
  connection that any window program pays for; the target is 24 MiB above it with 10
  popups open. The absolute figures are given too. After Quillon has closed, the same
  program opens ten windows of the size the last popup board had (from the probe) and is
  read the same way: under Wine each top-level window keeps its surface (4 bytes a pixel)
  in the process, so this row is the part of the popups' figure that is Wine's windows
  rather than Quillon's data.
EOF
  } >docs/BENCHMARKS.md
  say "table written to docs/BENCHMARKS.md"
fi
say "done in ${elapsed} s; raw logs in out/bench/"
exit 0
