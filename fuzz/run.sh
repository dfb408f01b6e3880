#!/usr/bin/env bash
# Builds the fuzz targets and runs each for a while.
#   fuzz/run.sh [seconds per target, default 300] [target names...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
shift || true
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
export QT_QPA_PLATFORM=offscreen
export TOLIVA_HOME=$(mktemp -d)
status=0
for t in "${targets[@]}"; do
  work=fuzz/corpus-work/$t
  mkdir -p "$work" fuzz/artifacts
  echo "== $t for ${seconds}s"
  if ! ./build/fuzz/bin/"$t" "$work" "fuzz/corpus/$t" -max_total_time="$seconds" \
        -artifact_prefix=fuzz/artifacts/"$t"- -print_final_stats=1 2>"fuzz/artifacts/$t.log"; then
    echo "!! $t found a problem; see fuzz/artifacts/$t.log"
    tail -40 "fuzz/artifacts/$t.log"
    status=1
  else
    grep -E 'stat::number_of_executed_units|cov:' "fuzz/artifacts/$t.log" | tail -2
  fi
done
exit $status
