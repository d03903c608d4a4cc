# The processes the demo and the benchmarks run, sourced by both (not run by itself): one
# Wine session, one hostsim fed through a fifo, Quillon.exe and the small Windows programs,
# each in a session of its own so that Ctrl-C reaches only the script, which then closes
# them in order (stop_processes, from its EXIT trap).
#
# The sourcing script defines say() and sets $root, $out, $bin and $hostsim_program first.
# hostsim prints a key=value twin of each line the scripts read ("ready port=...",
# "loaded instruments=...", "host-stats ..."); field() reads them.

hostsim_pid="" quillon_pid="" windows_pid="" session_started=0 interrupted=0
quillon_status=""

fail() { say "$*"; exit 1; }
alive() { [ -n "$1" ] && kill -0 "$1" 2>/dev/null; }
quillon_running() { alive "$quillon_pid"; }

# The value of key $2 in a "kind key=value ..." line $1.
field() { awk -v key="$2" '{for (i = 2; i <= NF; i++) {split($i, kv, "="); if (kv[1] == key) {print kv[2]; exit}}}' <<<"$1"; }

# Waits up to $2 seconds for process $1 to end.
wait_gone() {
  local limit=$(( $2 * 10 ))
  for _ in $(seq 1 "$limit"); do alive "$1" || return 0; sleep 0.1; done
  return 1
}

start_wine_session() {
  bash scripts/wine-session.sh start || fail "the Wine session did not start"
  session_started=1
}

# A line for hostsim's standard input (its commands); nothing without a hostsim.
host_command() { [ -n "$hostsim_pid" ] && { echo "$1" >&3; } 2>/dev/null || true; }

# Starts hostsim with options $2... on a free loopback port, its output in $1; sets $port
# and $host_instruments from its "ready" line.
start_hostsim() {
  hostsim_log="$1"; shift
  fifo="$out/hostsim.commands"
  rm -f "$fifo"; mkfifo "$fifo" || fail "cannot make $fifo"
  # Read-write, so neither side blocks on opening and hostsim never sees its input end.
  exec 3<>"$fifo"
  setsid "$hostsim_program" --listen 127.0.0.1:0 "$@" <"$fifo" >"$hostsim_log" 2>&1 &
  hostsim_pid=$!
  wait_host_line "ready host=" 30 "ready line from hostsim"
  local ready; ready=$(grep -m1 '^ready ' "$hostsim_log")
  port=$(field "$ready" port) host_instruments=$(field "$ready" instruments)
  [ -n "$port" ] || fail "no port in hostsim's ready line: $ready"
}

# Waits up to $2 seconds for a line of hostsim's log holding $1; fails saying what is
# missing ($3, else the text), or who ended meanwhile.
wait_host_line() {
  local limit=$(( $2 * 10 ))
  for _ in $(seq 1 "$limit"); do
    grep -q -F -- "$1" "$hostsim_log" 2>/dev/null && return 0
    alive "$hostsim_pid" || fail "hostsim ended while waiting for: ${3:-$1} ($(tail -n 3 "$hostsim_log"))"
    [ -z "$quillon_pid" ] || quillon_running || fail "Quillon.exe ended while waiting for: ${3:-$1}"
    [ "$interrupted" -eq 1 ] && exit 1
    sleep 0.1
  done
  fail "no ${3:-"'$1' from hostsim"} within $2 s (see ${hostsim_log#"$root"/})"
}

# Starts Quillon.exe from folder $1 against hostsim, its output in $2; more environment
# for it as NAME=value words in $3....
start_quillon_from() {
  local app=$1 output=$2; shift 2
  # The host's window handle stands on the command line; hostsim has no window, so 0.
  TESSEL_HOST="127.0.0.1:$port" env "$@" setsid bash scripts/wine-run.sh "$app/Quillon.exe" 0 >"$output" 2>&1 &
  quillon_pid=$!
}

# Sends the host's closing message and waits up to 30 s for Quillon.exe to end, then stops
# it; $quillon_status is its exit status. With "loud", says each step.
stop_quillon() {
  quillon_status=""
  [ -n "$quillon_pid" ] || return 0
  local closed=0
  if quillon_running; then
    closed=1
    [ "${1:-}" = loud ] && say "sending the host's closing message (0x1006)"
    host_command close
    if ! wait_gone "$quillon_pid" 30; then
      say "Quillon.exe did not exit within 30 s of the closing message; stopping it"
      kill -- "-$quillon_pid" 2>/dev/null || kill "$quillon_pid" 2>/dev/null
    fi
  fi
  wait "$quillon_pid" 2>/dev/null
  quillon_status=$?
  [ "${1:-}" = loud ] && [ $closed -eq 1 ] && say "Quillon.exe exited with status $quillon_status"
  quillon_pid=""
}

stop_hostsim() {
  [ -n "$hostsim_pid" ] || return 0
  if alive "$hostsim_pid"; then
    host_command quit
    wait_gone "$hostsim_pid" 3 || kill "$hostsim_pid" 2>/dev/null
  fi
  wait "$hostsim_pid" 2>/dev/null
  hostsim_pid=""
  exec 3>&-
  rm -f "$fifo"
}

# Runs a Windows program in the session to its end, its output in $1: its own process
# group, so Ctrl-C interrupts the wait here and stop_processes ends it.
run_windows() {
  local output="$1"; shift
  setsid bash scripts/wine-run.sh "$@" >"$output" 2>&1 &
  windows_pid=$!
  wait "$windows_pid"
  local status=$?
  windows_pid=""
  return $status
}

# The end-to-end probe (window waits, moves, presses), its output in $out/probe.out.
probe() { run_windows "$out/probe.out" "$bin/quillon_e2e_probe.exe" "$@"; }
# The probe's pattern for a title: hexadecimal UTF-8, whatever Wine's locale.
pattern() { printf 'x:%s' "$(printf '%s' "$1" | od -An -tx1 | tr -d ' \n')"; }

# Everything started, in order: Quillon (closed as a host closes it), the Windows program
# running, hostsim, and the Wine session with whatever of it still runs.
stop_processes() {
  stop_quillon "$@"
  if alive "$windows_pid"; then kill -- "-$windows_pid" 2>/dev/null; fi
  stop_hostsim
  if [ "$session_started" -eq 1 ]; then bash scripts/wine-session.sh stop >/dev/null 2>&1; fi
}
