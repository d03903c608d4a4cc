#!/usr/bin/env bash
# The long fuzz run: every libFuzzer target for a million executions (or the count given
# as $1), from its seeds plus what earlier runs found. Not part of the test command.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
runs=${1:-1000000}
bash scripts/setup.sh || exit 1
cmake --preset fuzz >/dev/null && cmake --build --preset fuzz || exit 1
status=0
for target in build/fuzz/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  work=build/fuzz/fuzz-corpus/$name
  mkdir -p "$work"
  seeds=()
  [ -d "tests/fuzz/corpus/$name" ] && seeds=("tests/fuzz/corpus/$name")
  echo "== $name: $runs runs"
  if "$target" -runs="$runs" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$work" "${seeds[@]}" \
       > "build/fuzz/$name.log" 2>&1; then
    grep -E 'stat::number_of_executed_units|Done' "build/fuzz/$name.log" | tail -n 2
  else
    status=1
    tail -n 30 "build/fuzz/$name.log"
    echo "$name FAILED (log: build/fuzz/$name.log)"
  fi
done
exit $status
