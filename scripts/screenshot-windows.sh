#!/usr/bin/env bash
# Pictures of the Windows program's windows under wine, beside the Linux ones:
#   docs/screenshots/windows-progress.png     the progress window
#   docs/screenshots/windows-dialog.png       the code question
#   docs/screenshots/windows-dialog-unit.png  the unit question, with the search on the source unit
# Usage: scripts/screenshot-windows.sh   (builds the program folder with scripts/build-windows.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=docs/screenshots
mkdir -p "$out"
source scripts/wine-session.sh
wine_session_install
work=$(mktemp -d)
program_pid=
trap '[ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null; wine_session_end; rm -rf "$work"' EXIT
KONVIKA_WINDOWS_ARCH=$arch scripts/build-windows.sh "$work/konvika" >/dev/null
wine_session_start

# Record 1: a code the base cannot take (the code question); record 2: a unit no table knows.
printf '%s\n' 'GARVENA 1' '#TABLE Таблица 1' \
  '4@101-1-5-7-9@Песок строительный природный@м3@@61,58@55,00' \
  '4@101-0002-5@Цемент портландский марки 400 в мешках по 50 кг@меш@@128,40@117,30' |
  iconv -f UTF-8 -t CP1251 >"$work/prices.txt"
[ "$(id -u)" -eq 0 ] && chown konvika-wine "$work/prices.txt"
units='Z:'"${work//\//\\}"'\konvika\sample\units'
as_wine_user wine "$work/konvika/konvika.exe" \
  "4R?Z:${work//\//\\}\\prices.txt?Z:${work//\//\\}\\out.dbf?$units?$units?" &
program_pid=$!

window_named() {  # title [id to pass over]
  local id
  for _ in $(seq 150); do
    id=$(on_display xdotool search --all --onlyvisible --name "^$1\$" 2>/dev/null |
         grep -v -x "${2:-none}" | tail -1 || true)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.2
  done
  echo "no window '$1' appeared" >&2
  return 1
}
shot() {  # window id, file
  sleep 1
  on_display import -window "$1" "$root/$2.tmp.png"
  mv "$root/$2.tmp.png" "$root/$2"
  echo "saved $2"
}
press() {
  on_display xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
  on_display xdotool windowfocus --sync "$1"
  sleep 0.3
  on_display xdotool key "$2"
}

dialog=$(window_named 'Выбор соответствия')
shot "$dialog" "$out/windows-dialog.png"
# Move the dialog into the corner, clear of the progress window in the middle of the screen.
on_display xdotool windowmove "$dialog" 0 0
progress=$(window_named 'Цены Гарвена в ОРН \(Версия 1.0 от 20-10-2005\)')
shot "$progress" "$out/windows-progress.png"
press "$dialog" Escape
dialog=$(window_named 'Выбор соответствия' "$dialog")
shot "$dialog" "$out/windows-dialog-unit.png"
press "$dialog" Escape
wait "$program_pid" || true
program_pid=
