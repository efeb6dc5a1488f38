#!/usr/bin/env bash
# A long run by hand of what CI runs briefly: every fuzz target of the sanitizer build and the
# kill loop of the reliability tests, side by side, for the given number of minutes. Prints the
# executions, the kill points, the crashes and the answers lost. A crash leaves its input in
# fuzz-artifacts/; a failed kill-loop round leaves its log in fuzz-artifacts/soak/.
# Usage: scripts/soak.sh MINUTES [BUILD_DIR] [SANITIZER_BUILD_DIR]
set -uo pipefail
cd "$(dirname "$0")/.."
minutes=${1:?usage: scripts/soak.sh MINUTES [BUILD_DIR] [SANITIZER_BUILD_DIR]}
build=${2:-build-rel9}
asan=${3:-build-rel9-asan}
seconds=$((minutes * 60))
deadline=$(($(date +%s) + seconds))
tests="$build/tests/engine/reliability_tests"
[ -x "$tests" ] || { echo "no $tests: build reliability_tests first"; exit 2; }
list="$asan/fuzzers.txt"
[ -f "$list" ] || { echo "no $list: configure $asan with KONVIKA_FUZZ=ON"; exit 2; }
mkdir -p fuzz-artifacts/soak
# Copies, so that a build during the soak does not pull a binary from under a running round.
stable=$(mktemp -d)
trap 'rm -rf "$stable"' EXIT
cp "$tests" "$stable/reliability_tests"
tests="$stable/reliability_tests"

# The fuzzers one after the other, each for its share of the time.
mapfile -t targets < <(grep -v '^$' "$list")
for target in "${targets[@]}"; do
  found=$(find "$asan/fuzz" -type f -name "$target" -perm -u+x | head -n 1)
  [ -n "$found" ] && cp "$found" "$stable/$target"
done
share=$((seconds / ${#targets[@]}))
fuzz_log=$(mktemp)
(
  for target in "${targets[@]}"; do
    binary="$stable/$target"
    if [ ! -x "$binary" ]; then echo "$target missing"; echo "$target crashes 1"; continue; fi
    work=$(mktemp -d)
    status=0
    "$binary" -max_total_time="$share" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix=fuzz-artifacts/ "$work" "fuzz/corpus/$target" >"$work.log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work.log" | tail -n 1)
    echo "$target runs ${runs:-0}"
    if [ "$status" -ne 0 ]; then
      echo "$target crashes 1"
      cp "$work.log" "fuzz-artifacts/soak/$target.log"
    fi
    rm -rf "$work" "$work.log"
  done
) >"$fuzz_log" &
fuzz_pid=$!

# Kill-loop rounds with fresh seeds until the time is up.
kills=0; lost=0; rounds=0; failed=0; seed=$(date +%s)
while [ "$(date +%s)" -lt "$deadline" ]; do
  seed=$((seed + 1))
  out=$(KONVIKA_KILL_SEED=$seed KONVIKA_KILL_POINTS=100 "$tests" --gtest_filter='KillLoop.*' 2>&1)
  status=$?
  line=$(grep '^kill loop:' <<<"$out" | tail -n 1)
  k=$(sed -n 's/.* \([0-9]*\) kill points.*/\1/p' <<<"$line")
  l=$(sed -n 's/.*answers lost: \([0-9]*\).*/\1/p' <<<"$line")
  kills=$((kills + ${k:-0})); lost=$((lost + ${l:-0})); rounds=$((rounds + 1))
  if [ "$status" -ne 0 ]; then
    failed=$((failed + 1))
    echo "$out" >"fuzz-artifacts/soak/kill-loop-$seed.log"
    echo "kill loop with seed $seed failed: fuzz-artifacts/soak/kill-loop-$seed.log"
  fi
done
wait "$fuzz_pid"

echo "== soak of $minutes minutes"
runs=0; crashes=0
while read -r target what n; do
  case "$what" in
    runs) echo "fuzz $target: $n executions"; runs=$((runs + n)) ;;
    crashes) crashes=$((crashes + n)) ;;
  esac
done <"$fuzz_log"
rm -f "$fuzz_log"
echo "fuzz executions: $runs, fuzz crashes: $crashes"
echo "kill loops: $rounds, kill points: $kills, failed loops: $failed, answers lost: $lost"
[ "$crashes" -eq 0 ] && [ "$failed" -eq 0 ] && [ "$lost" -eq 0 ]
