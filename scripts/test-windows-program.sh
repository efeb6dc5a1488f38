#!/usr/bin/env bash
# Process tests of the real Windows program: builds the program folder (scripts/build-windows.sh),
# installs the Linux program beside it for comparison, and runs tests/win32/program_process_test.py
# under wine on a private Xvfb display, as a user that is not root, with a Russian locale.
# Without 32-bit wine (wine32:i386) the 32-bit program cannot run: the tests then say so plainly
# and run a 64-bit build of the same program under wine64 instead.
# Usage: scripts/test-windows-program.sh [LINUX-BUILD]   (default: build, built when needed)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
host_build=${1:-build}
case "$host_build" in /*) ;; *) host_build="$root/$host_build" ;; esac

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
packages=(xvfb xdotool wmctrl python3-dbfread libdbd-xbase-perl wine locales)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi
if [ ! -x /usr/lib/wine/wine ]; then
  dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
  as_root apt-get update -qq || true
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq wine32:i386 >/dev/null ||
    true
fi
arch=i686
if [ ! -x /usr/lib/wine/wine ]; then
  echo "NOTE: 32-bit wine (wine32:i386) could not be installed on this machine, so the 32-bit"
  echo "      konvika.exe cannot run here; its process tests run on a 64-bit build under wine64."
  arch=x86_64
fi

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"

echo "== Linux program for comparison ($host_build) =="
if [ ! -f "$host_build/CMakeCache.txt" ]; then
  cmake -S . -B "$host_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$host_build" -j "$(nproc)" --target konvika gvread konvika-tables \
  konvika-answers konvika-sample >/dev/null
cmake --install "$host_build" --prefix "$work/konvika-linux" >/dev/null
echo "== Windows program folder ($arch) =="
KONVIKA_WINDOWS_ARCH=$arch KONVIKA_HOST_BUILD="$host_build" \
  scripts/build-windows.sh "$work/konvika-win32" >/dev/null

# wine refuses a prefix of another user, and root should not run it: a user of its own.
runner=()
if [ "$(id -u)" -eq 0 ]; then
  id konvika-wine >/dev/null 2>&1 || useradd -m -s /bin/bash konvika-wine
  chown -R konvika-wine "$work"
  runner=(runuser -u konvika-wine --)
fi

exec 3< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null)
xvfb_pid=$!
read -r display <&3
environment=(env HOME="$work" DISPLAY=":$display" WINEPREFIX="$work/wine" WINEDEBUG=-all
             WINEDLLOVERRIDES="mscoree,mshtml=" LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8
             KONVIKA_WIN_FOLDER="$work/konvika-win32" KONVIKA_LINUX_FOLDER="$work/konvika-linux"
             KONVIKA_HOST_TOOLS="$host_build/tools" TMPDIR="$work")
echo "== wine prefix =="
"${runner[@]}" "${environment[@]}" wineboot -i >/dev/null 2>&1
"${runner[@]}" "${environment[@]}" wineserver -w
echo "== process tests under wine =="
status=0
"${runner[@]}" "${environment[@]}" /usr/bin/python3 tests/win32/program_process_test.py || status=$?
"${runner[@]}" "${environment[@]}" wineserver -k 2>/dev/null || true
exit "$status"
