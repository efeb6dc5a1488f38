#!/usr/bin/env bash
# Builds Konvika in Release, runs every benchmark and prints one table: figure, value, goal and
# the ratio of value to goal (at most 1 is met for "at most" goals; at least 1 for "at least").
#
# Usage: bench/run.sh [--quick]
#   BUILD_DIR   build folder (default: build-bench beside this folder's parent)
#   RECORDS     records of the end-to-end bench (default 1000000, in 100 tables)
#   --quick     shorter micro-benchmark runs and 200,000 records end to end
# The table is also written to $BUILD_DIR/bench-results.md.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build=${BUILD_DIR:-$source_dir/build-bench}
records=${RECORDS:-1000000}
min_time=0.5
if [ "${1:-}" = "--quick" ]; then
  records=${RECORDS:-200000}
  min_time=0.1
fi
tables=$((records / 10000 > 0 ? records / 10000 : 1))

echo "== building in Release ($build)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKONVIKA_BENCH=ON >/dev/null
cmake --build "$build" >/dev/null

out=$(mktemp -d /tmp/konvika-bench-run-XXXXXX)
trap 'rm -rf "$out"' EXIT

micro() {  # name of a bench executable below bench/, relative path
  local exe="$build/bench/$1"
  if [ -x "$exe" ]; then
    echo "== $1"
    "$exe" --benchmark_min_time="$min_time" --benchmark_format=console \
      --benchmark_out="$out/$(basename "$1").json" --benchmark_out_format=json
  else
    echo "== $1: not built (Google Benchmark missing?)"
  fi
}
micro codes/codes_bench
micro units/units_bench
micro engine/mapping_bench
micro dbf/append_bench

echo "== end to end: $records records in $tables tables (in the bench, then the program as a process)"
program_option=()
[ -x "$build/app/konvika" ] && program_option=(--program "$build/app/konvika")
"$build/bench/engine/bench_convert" "$records" "$tables" "${program_option[@]}" | tee "$out/convert.txt"
echo "== memory: $((records / 10)) records in $((tables / 10 > 0 ? tables / 10 : 1)) tables of the same size"
"$build/bench/engine/bench_convert" $((records / 10)) $((tables / 10 > 0 ? tables / 10 : 1)) --convert-only \
  | tee "$out/convert-small.txt"

# Two sizes, so that what a conversion does once (opening, closing, the header) drops out and
# what remains is what every further record costs.
echo "== system calls (strace -c): 20000 and 100000 records in 10 tables"
strace_small=20000
strace_records=100000
for n in $strace_small $strace_records; do
  "$build/bench/engine/bench_convert" $n 10 --convert-only --no-check --root "$out/strace-$n" \
    >"$out/untraced-$n.txt"  # lays out the program folder; the traced runs below convert again into it
  strace -c -o "$out/strace-output-$n.txt" -P "$out/strace-$n/price.dbf" \
    "$build/bench/engine/bench_convert" $n 10 --convert-only --no-check --root "$out/strace-$n" >/dev/null
  strace -c -f -o "$out/strace-all-$n.txt" \
    "$build/bench/engine/bench_convert" $n 10 --convert-only --no-check --root "$out/strace-$n" >/dev/null
done
cat "$out/strace-output-$strace_records.txt"

# Instructions of the program's own work per record (user space only: the kernel's part of a
# post is the physical pattern's), counted by callgrind over the record loop alone.
if command -v valgrind >/dev/null && command -v callgrind_annotate >/dev/null; then
  echo "== instructions per record (callgrind, $strace_small records in 10 tables)"
  valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.out" \
    --toggle-collect='TKonvika::ProcessTable*' \
    "$build/bench/engine/bench_convert" $strace_small 10 --convert-only --no-check >/dev/null 2>&1
  callgrind_annotate --inclusive=yes --threshold=100 "$out/callgrind.out" >"$out/callgrind.txt" 2>/dev/null
else
  echo "== instructions per record: valgrind is not installed"
fi

if [ -x "$build/bench/app/startup_bench" ]; then
  echo "== start-up"
  "$build/bench/app/startup_bench" | tee "$out/startup.txt"
else
  echo "== start-up: the program konvika is not built (no Qt?)"
fi

python3 - "$out" "$records" "$strace_small" "$strace_records" "$build/bench-results.md" <<'PY'
import json, os, re, sys
out, records, strace_small, strace_records, table_path = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), sys.argv[5]

def results(name):
    values = {}
    path = os.path.join(out, name)
    if os.path.exists(path):
        for line in open(path):
            m = re.match(r'RESULT (\S+) (\S+)', line)
            if m:
                values[m.group(1)] = float(m.group(2))
    return values

def rate(bench_file, name):
    path = os.path.join(out, bench_file)
    if not os.path.exists(path):
        return None
    for b in json.load(open(path))['benchmarks']:
        if b['name'] == name and 'error_occurred' not in b:
            return b.get('items_per_second')
    return None

def strace_calls(name, only=None):
    path = os.path.join(out, name)
    calls = {}
    for line in open(path):
        parts = line.split()
        if len(parts) >= 5 and parts[-1] not in ('total', 'syscall') and parts[3].isdigit():
            calls[parts[-1]] = int(parts[3])
    if only:
        return sum(v for k, v in calls.items() if k in only)
    return sum(calls.values())

rows = []  # figure, value, goal text, ratio, met
def at_most(figure, value, goal, unit, fmt='{:.2f}'):
    if value is None: rows.append((figure, 'n/a', f'<= {goal} {unit}'.strip(), '', 'n/a')); return
    ratio = value / goal
    rows.append((figure, (fmt + ' {}').format(value, unit).strip(), f'<= {goal} {unit}'.strip(), f'{ratio:.2f}', 'yes' if ratio <= 1 else 'NO'))
def at_least(figure, value, goal, unit, fmt='{:,.0f}'):
    if value is None: rows.append((figure, 'n/a', f'>= {goal:,} {unit}', '', 'n/a')); return
    ratio = value / goal
    rows.append((figure, (fmt + ' {}').format(value, unit), f'>= {goal:,} {unit}', f'{ratio:.2f}', 'yes' if ratio >= 1 else 'NO'))
def info(figure, value):
    rows.append((figure, value, '', '', ''))

big, small, start = results('convert.txt'), results('convert-small.txt'), results('startup.txt')
if big.get('ok') != 1: info('end to end conversion', 'FAILED')
info(f'physical pattern, {records:,} records (write + pwrite each)', f"{big.get('baseline_seconds', 0):.3f} s")
info(f'Convert, {records:,} records in {records // 10000 or 1} tables', f"{big.get('convert_seconds', 0):.3f} s ({records / big.get('convert_seconds', 1):,.0f} records/s)")
at_most('Convert / physical pattern (wall time)', big.get('ratio'), 1.5, '×')
at_most('Convert / physical pattern (processor time)', big.get('cpu_ratio'), 1.5, '×')
if big.get('mapped_pattern_seconds', -1) > 0:
    info('the same records posted through a mapped window (not adopted)', f"{big['mapped_pattern_seconds']:.3f} s")
if 'program_seconds' in big:
    info(f'the program as a process, {records:,} records', f"{big['program_seconds']:.3f} s (spawn to exit)")
    at_most('the program as a process / physical pattern', big.get('program_ratio'), 1.5, '×')
at_most(f'peak RSS, {records:,} records', big.get('peak_rss_mb'), 64, 'MB', '{:.1f}')
if small:
    growth = big.get('peak_rss_mb', 0) - small.get('peak_rss_mb', 0)
    info(f'peak RSS, {records // 10:,} records (same table size)', f"{small.get('peak_rss_mb', 0):.1f} MB (growth ×10 records: {growth:+.1f} MB)")
def marginal(kind, only=None):
    big_calls = strace_calls(f'strace-{kind}-{strace_records}.txt', only)
    small_calls = strace_calls(f'strace-{kind}-{strace_small}.txt', only)
    return (big_calls - small_calls) / (strace_records - strace_small)
at_most('system calls on the output table per posted record', marginal('output'), 2, '', '{:.3f}')
def allocations(n):
    return results(f'untraced-{n}.txt').get('allocations_per_record', 0) * n
at_most('heap allocations per record (the record loop reuses its memory)',
        max(0.0, (allocations(strace_records) - allocations(strace_small)) / (strace_records - strace_small)), 0.01, '', '{:.4f}')
reading = {'read', 'pread64', 'lseek', 'readv', 'preadv'}
info('reads of the output table during a conversion', f"{strace_calls(f'strace-output-{strace_records}.txt', reading)} in all, {marginal('output', reading):.4f} per record")
info('system calls of the whole process per record', f"{marginal('all'):.3f}")
at_least('GetKeyByName over 10,000 units', rate('units_bench.json', 'BM_GetKeyByNameHit'), 1_000_000, 'lookups/s')
at_least('FindKod, 100,000-row code table', rate('mapping_bench.json', 'BM_FindKod'), 1_000_000, 'lookups/s')
at_least('FindEdIz, 100,000-row unit table', rate('mapping_bench.json', 'BM_FindEdIz'), 1_000_000, 'lookups/s')
for letter in ('4', '9', 'G', 'M'):
    at_least(f'ParseKod + CheckKodParts (base {letter})', rate('codes_bench.json', f'BM_ParseAndCheckBase{letter}'), 2_000_000, 'codes/s')
append, pattern = rate('append_bench.json', 'BM_AppendPost'), rate('append_bench.json', 'BM_PhysicalPattern')
if append and pattern:
    info('append + 9 fields + post (engine alone)', f'{append:,.0f} records/s ({pattern / append:.2f} × the physical pattern)')
at_most('start-up to the first table (offscreen, sample tables)', start.get('startup_ms'), 150, 'ms', '{:.0f}')

# Instructions per record, from callgrind's inclusive counts over the record loop.
def instructions():
    path = os.path.join(out, 'callgrind.txt')
    counts = {}
    if os.path.exists(path):
        for line in open(path):
            m = re.match(r'\s*([\d,]+) \(\s*[\d.]+%\)\s+\S*?:(\S+?)\(', line)
            if m and m.group(2) not in counts:
                counts[m.group(2)] = int(m.group(1).replace(',', ''))
    return counts
counts = instructions()
parts = [('the whole record loop', 'TKonvika::ProcessTable'),
         ('  parsing the record (fields, code form, prices)', 'engine::RecordParser::Parse'),
         ('  the code grammar: ParseKod', 'ClGetKod::ParseKod'),
         ('  the code grammar: CheckKodParts', 'ClGetKod::CheckKodParts'),
         ('  the standard unit: GetKeyByName', 'TKeyName::GetKeyByName'),
         ('  the unit mapping table: FindEdIz (one record in ten; averaged)', 'MappingTables::FindEdIz'),
         ('  scaling the prices (one record in ten; averaged)', 'engine::RecordResolver::ScalePrice'),
         ('  writing the record: PriceTableWriter::Write', 'engine::PriceTableWriter::Write'),
         ('    of which the post: Table::post', 'dbf::Table::post')]
for label, function in parts:
    if function in counts:
        info(f'instructions per record, {label}', f'{counts[function] / strace_small:,.0f}')

widths = [max(len(str(r[i])) for r in rows + [('figure', 'value', 'goal', 'ratio', 'met')]) for i in range(5)]
lines = ['| ' + ' | '.join(h.ljust(w) for h, w in zip(('figure', 'value', 'goal', 'ratio', 'met'), widths)) + ' |',
         '|' + '|'.join('-' * (w + 2) for w in widths) + '|']
lines += ['| ' + ' | '.join(str(c).ljust(w) for c, w in zip(r, widths)) + ' |' for r in rows]
print('\n'.join(lines))
open(table_path, 'w').write('\n'.join(lines) + '\n')
PY
echo "(table written to $build/bench-results.md)"
