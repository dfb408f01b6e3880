#!/usr/bin/env bash
# Builds the fuzz targets and runs each for a while.
#   fuzz/run.sh [seconds per target, default 300] [target names...]
# FUZZ_JOBS (default 1) targets run at once. A target fails when it stops on
# a finding (crash, sanitizer report, leak, a single input running longer
# than FUZZ_INPUT_TIMEOUT seconds, default 10, or running out of memory) or
# when its log holds any sanitizer report; libFuzzer keeps the input that
# caused it under fuzz/artifacts/<target>-*.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
shift || true
jobs=${FUZZ_JOBS:-1}
input_timeout=${FUZZ_INPUT_TIMEOUT:-10}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
export QT_QPA_PLATFORM=offscreen
# Every sanitizer report stops the run, so that libFuzzer saves the input.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1}
mkdir -p fuzz/artifacts
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT

# Runs one target; writes its verdict to $results/<target>.
run_target() {
  local t=$1 work=fuzz/corpus-work/$1 log=fuzz/artifacts/$1.log
  mkdir -p "$work"
  local status=0
  TOLIVA_HOME=$(mktemp -d) ./build/fuzz/bin/"$t" "$work" "fuzz/corpus/$t" -max_total_time="$seconds" \
      -timeout="$input_timeout" -artifact_prefix=fuzz/artifacts/"$t"- -print_final_stats=1 2>"$log" || status=$?
  # A report the run survived (a check built to recover) counts all the same.
  if [ $status -eq 0 ] && grep -qE 'runtime error:|ERROR: [A-Za-z]+Sanitizer|SUMMARY: [A-Za-z]+Sanitizer' "$log"; then
    status=1
  fi
  echo "$status" >"$results/$t"
}

for t in "${targets[@]}"; do
  echo "== $t for ${seconds}s"
  run_target "$t" &
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
done
wait

status=0
for t in "${targets[@]}"; do
  log=fuzz/artifacts/$t.log
  if [ "$(cat "$results/$t" 2>/dev/null || echo 1)" != 0 ]; then
    echo "!! $t found a problem; see $log"
    grep -E 'Test unit written to|runtime error:|ERROR: |SUMMARY: ' "$log" | head -10 || true
    tail -40 "$log"
    status=1
  else
    echo "ok $t: $(grep -E 'stat::number_of_executed_units|stat::average_exec_per_sec' "$log" | tr -s ' ' | tr '\n' ' ')"
  fi
done
exit $status
