#!/usr/bin/env bash
# Process tests of the real Windows program: builds the program folder (scripts/build-windows.sh),
# installs the Linux program beside it for comparison, and runs tests/win32/program_process_test.py
# under wine on a private Xvfb display, as a user that is not root, with a Russian locale; then
# the windows' own tests (win32_tests) of the Windows test build that scripts/test-windows.sh made.
# Without 32-bit wine (wine32:i386) the 32-bit program cannot run: the tests then say so plainly
# and run a 64-bit build of the same program under wine64 instead.
# Usage: scripts/test-windows-program.sh [LINUX-BUILD]   (default: build, built when needed)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
host_build=${1:-build}
case "$host_build" in /*) ;; *) host_build="$root/$host_build" ;; esac
source scripts/wine-session.sh
wine_session_install

work=$(mktemp -d)
trap 'wine_session_end; rm -rf "$work"' EXIT

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

echo "== wine prefix =="
wine_session_start
echo "== process tests under wine =="
status=0
as_wine_user KONVIKA_WIN_FOLDER="$work/konvika-win32" KONVIKA_LINUX_FOLDER="$work/konvika-linux" \
  KONVIKA_HOST_TOOLS="$host_build/tools" /usr/bin/python3 tests/win32/program_process_test.py ||
  status=1

# The windows' own tests need a display, which the GUI-free run of scripts/test-windows.sh has
# not (they skip there); they run here, from that script's Windows test build.
tests_build=${KONVIKA_WINDOWS_BUILD:-$root/build-windows}/$arch/konvika
echo "== the windows' tests under wine on Xvfb ($tests_build) =="
if [ -f "$tests_build/CMakeCache.txt" ]; then
  cmake --build "$tests_build" -j "$(nproc)" --target win32_tests >/dev/null
  as_wine_user wine "$tests_build/tests/win32/win32_tests.exe" --gtest_brief=1 || status=1
else
  echo "FAILED: no Windows test build at $tests_build; scripts/test-windows.sh makes it"
  status=1
fi
exit "$status"
