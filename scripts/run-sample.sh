#!/usr/bin/env bash
# Installs what is needed, builds and installs Konvika into ./konvika-demo, and converts the
# shipped sample price file there the way the estimating suite starts the program: one argument
# of five parameters, each ended by "?". The answers an estimator would give for the sample's
# unknown codes and units are stored first, so the run needs nobody at the keyboard; with
# --ask they are not, and the correspondence dialog asks (this needs a display).
set -euo pipefail
cd "$(dirname "$0")/.."
ask=no
[ "${1:-}" = "--ask" ] && ask=yes
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
prefix="$PWD/konvika-demo"
rm -rf "$prefix"
cmake --install build --prefix "$prefix" >/dev/null

mkdir -p "$prefix/out"
if [ "$ask" = no ]; then
  build/tools/konvika-answers "$prefix"
fi
if [ -z "${DISPLAY:-}" ]; then
  if [ "$ask" = yes ]; then echo "--ask needs a display (DISPLAY is not set)"; exit 2; fi
  export QT_QPA_PLATFORM=offscreen
fi

argument="40?$prefix/sample/prices.txt?$prefix/out/prices.dbf??$prefix/sample/units?"
echo "== konvika \"$argument\""
status=0
"$prefix/konvika" "$argument" || status=$?
echo "exit status: $status"

echo "== log ($prefix/Morvel/TKonvika.log)"
iconv -f cp1251 -t utf-8 "$prefix/Morvel/TKonvika.log" | tr '\r' '\n' | sed '/^$/d'
echo "== output price table ($prefix/out/prices.dbf), read with python3-dbfread"
/usr/bin/python3 - "$prefix/out/prices.dbf" <<'PY'
import sys, dbfread
table = dbfread.DBF(sys.argv[1], encoding='cp866')
fields = ['TIP', 'SBOR', 'TABL', 'POZ', 'KEI', 'C_1', 'C_2']
print(' | '.join(f'{f:>12}' for f in fields))
rows = list(table)
for r in rows:
    print(' | '.join(f'{str(r[f] if r[f] is not None else ""):>12}' for f in fields))
print(f'{len(rows)} price records')
PY
exit "$status"
