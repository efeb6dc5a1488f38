#!/usr/bin/env bash
# Installs what is needed, builds the normal (g++) and the sanitizer (clang, ASan + UBSan,
# with the fuzz targets) configurations, and runs every test in both, then each fuzz target
# for a bounded time, the Windows build's tests under wine (scripts/test-windows.sh) and the
# real Windows program under wine (scripts/test-windows-program.sh). Exits non-zero when
# anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

# Every test of a build folder. The programs driven on an X display from outside (label
# "desktop") get a second try when a case fails: keystrokes and window searches race with a
# loaded machine now and then. A first failure stays printed above the retry.
run_tests() {
  ctest --test-dir "$1" --output-on-failure -j "$jobs" -LE desktop
  ctest --test-dir "$1" --output-on-failure -j "$jobs" -L desktop --repeat until-pass:2
}

echo "== normal build =="
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKONVIKA_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
run_tests build

echo "== sanitizer build =="
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKONVIKA_WERROR=ON \
  -DKONVIKA_SANITIZE=ON -DKONVIKA_FUZZ=ON -DKONVIKA_BENCH=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 run_tests build-asan

echo "== Windows build under wine =="
scripts/test-windows.sh

echo "== the Windows program under wine =="
scripts/test-windows-program.sh build

if [ -x scripts/fuzz.sh ]; then
  echo "== fuzzing =="
  scripts/fuzz.sh build-asan "${KONVIKA_FUZZ_SECONDS:-30}"
fi
echo "All tests passed."
