#!/usr/bin/env bash
# Runs every fuzz target of a sanitizer build for a bounded time each, starting from the corpus
# kept in fuzz/corpus/<target>/. A crash fails the run and leaves its input in fuzz-artifacts/.
# Usage: scripts/fuzz.sh BUILD_DIR SECONDS_PER_TARGET
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-asan}
seconds=${2:-30}
list="$build/fuzzers.txt"
[ -f "$list" ] || { echo "no fuzz targets in $build"; exit 0; }
mkdir -p fuzz-artifacts
while read -r target; do
  [ -n "$target" ] || continue
  binary=$(find "$build/fuzz" -type f -name "$target" -perm -u+x | head -n 1)
  [ -n "$binary" ] || { echo "fuzz target $target was not built"; exit 1; }
  corpus="fuzz/corpus/$target"
  mkdir -p "$corpus"
  work=$(mktemp -d)
  echo "-- $target for ${seconds}s"
  status=0
  "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix=fuzz-artifacts/ "$work" "$corpus" >"$work.log" 2>&1 || status=$?
  grep -E 'stat::number_of_executed_units|ERROR|SUMMARY' "$work.log" || true
  [ "$status" -eq 0 ] || tail -n 40 "$work.log"
  rm -f "$work.log"
  rm -rf "$work"
  [ "$status" -eq 0 ] || { echo "fuzz target $target failed"; exit 1; }
done < "$list"
