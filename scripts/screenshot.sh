#!/usr/bin/env bash
# Starts the installed program under a private Xvfb display on sample data that asks both
# questions, and saves pictures of the progress window and of the correspondence dialog in both
# modes:
#   docs/screenshots/dialog.png       the code question
#   docs/screenshots/dialog-unit.png  the unit question, with the search on the source unit
#   docs/screenshots/progress.png     the progress window behind the dialog
# Usage: scripts/screenshot.sh [build folder]   (default: build; it is built and installed)
# Needs xvfb, xdotool and imagemagick (scripts/install-deps.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=docs/screenshots
mkdir -p "$out"

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
# The program and what it installs; a test target that fails to build does not matter here.
cmake --build "$build" >/dev/null 2>&1 || echo "warning: parts of the build failed" >&2
work=$(mktemp -d)
xvfb_pid=
program_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cmake --install "$build" --prefix "$work/konvika" >/dev/null
root="$work/konvika"

# Record 1: a code the base cannot take (the code question); record 2: a unit no table knows
# (the unit question).
printf '%s\n' 'GARVENA 1' '#TABLE Таблица 1' \
  '4@101-1-5-7-9@Песок строительный природный@м3@@61,58@55,00' \
  '4@101-0002-5@Цемент портландский марки 400 в мешках по 50 кг@меш@@128,40@117,30' |
  iconv -f UTF-8 -t CP1251 >"$work/prices.txt"

# A screen large enough to show the dialog moved to its corner beside the progress window.
exec 3< <(Xvfb -displayfd 1 -screen 0 1600x1000x24 -nolisten tcp 2>/dev/null)
xvfb_pid=$!
read -r display <&3
export DISPLAY=":$display"
export XDG_RUNTIME_DIR="$work"   # a guard of its own: a konvika running elsewhere does not matter
units="$root/sample/units"
QT_QPA_PLATFORM=xcb "$root/konvika" "4R?$work/prices.txt?$work/out.dbf?$units?$units?" \
  >"$work/program.log" 2>&1 &
program_pid=$!

window_of() {  # title [id to pass over] -> id of the shown window of the program
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --all --onlyvisible --pid "$program_pid" --name "^$1\$" 2>/dev/null |
         grep -v -x "${2:-none}" | head -1 || true)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.2
  done
  echo "no window '$1' appeared; the program's output:" >&2
  cat "$work/program.log" >&2
  return 1
}
shot() {  # window id, file
  sleep 0.5
  import -window "$1" "$2"
  echo "saved $2"
}

dialog=$(window_of 'Выбор соответствия')
shot "$dialog" "$out/dialog.png"
# Move the dialog into the corner, so that the progress window behind it shows.
xdotool windowmove "$dialog" 0 0
progress=$(window_of 'Цены Гарвена в ОРН \(Версия 1.0 от 20-10-2005\)')
shot "$progress" "$out/progress.png"

press() {  # window id, keys: focus the window, press the keys on the display's keyboard
  # (keys sent to a window directly stay held down when it goes away before their release, and
  # the server then repeats them into the next window)
  xdotool windowfocus --sync "$1"
  xdotool key "$2"
}

# Skip the record: the next question is the unit question.
press "$dialog" Escape
dialog=$(window_of 'Выбор соответствия' "$dialog")
shot "$dialog" "$out/dialog-unit.png"
press "$dialog" Escape
wait "$program_pid" || true
program_pid=
