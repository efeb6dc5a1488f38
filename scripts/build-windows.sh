#!/usr/bin/env bash
# Builds the 32-bit Windows program with Debian's mingw-w64 cross compiler and installs the
# program folder an estimator puts beside the suite:
#   DIR\konvika.exe                         the program (PE32, GUI, linked statically)
#   DIR\DLL\gvread.dll                      the development reader library
#   DIR\Morvel\Shablon\Resurs\cenashab.dbf  the price-table template
#   DIR\Morvel\TKonvika\                    the mapping tables' folder (empty; the program fills it)
#   DIR\sample\prices.txt, DIR\sample\units\Ei1.dbf, Ei2.dbf   the sample price file and units
# and writes konvika-win32.zip of that folder beside it.
# Usage: scripts/build-windows.sh [DIR]   (default ./konvika-win32)
# KONVIKA_WINDOWS_ARCH=x86_64 builds a 64-bit folder instead, only for the process tests on a
# machine without 32-bit wine; what an estimator gets is the 32-bit one.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dir=${1:-konvika-win32}
case "$dir" in /*) ;; *) dir="$root/$dir" ;; esac

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
arch=${KONVIKA_WINDOWS_ARCH:-i686}
case "$arch" in
  i686) build=build-win32 pe='PE32 executable' machine='Intel 80386' ;;
  x86_64) build=build-win64 pe='PE32+ executable' machine='x86-64' ;;
  *) echo "KONVIKA_WINDOWS_ARCH is i686 or x86_64, not $arch"; exit 2 ;;
esac
triplet=$arch-w64-mingw32
packages=(cmake ninja-build build-essential "g++-mingw-w64-${arch//_/-}-posix"
          "gcc-mingw-w64-${arch//_/-}-posix" "binutils-mingw-w64-${arch//_/-}" mingw-w64-tools zip
          file)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

jobs=$(nproc)
# The template and the sample units tables are written by the Linux tool that the tests use,
# so the files follow the table engine that reads them.
# KONVIKA_HOST_BUILD names a Linux build folder to take the tool from (the tests pass theirs).
host=${KONVIKA_HOST_BUILD:-build-host}
echo "== host tools ($host) =="
if [ ! -f "$host/CMakeCache.txt" ]; then
  cmake -S . -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKONVIKA_GUI=OFF \
    -DKONVIKA_TESTS=OFF -DKONVIKA_BENCH=OFF >/dev/null
fi
cmake --build "$host" -j "$jobs" --target konvika-tables

echo "== Windows program, $arch ($build) =="
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-w64-$arch.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKONVIKA_GUI=OFF -DKONVIKA_TESTS=OFF -DKONVIKA_BENCH=OFF \
  -DKONVIKA_WERROR=ON >/dev/null
cmake --build "$build" -j "$jobs" --target konvika gvread

exe=$build/win32/konvika.exe
dll=$build/DLL/gvread.dll
# What an estimator's Windows needs: a 32-bit GUI program and DLL that import system DLLs only.
exe_type=$(file -b "$exe")
dll_type=$(file -b "$dll")
[[ "$exe_type" == "$pe (GUI) $machine"* ]] ||
  { echo "$exe is not a $pe GUI program: $exe_type"; exit 1; }
[[ "$dll_type" == "$pe (DLL) "*"$machine"* ]] ||
  { echo "$dll is not a $pe DLL: $dll_type"; exit 1; }
system_dlls='^(kernel32|user32|gdi32|comctl32|advapi32|msvcrt|shell32|ole32)\.dll$'
for binary in "$exe" "$dll"; do
  foreign=$("$triplet-objdump" -p "$binary" | sed -n 's/^\s*DLL Name: //p' |
            tr 'A-Z' 'a-z' | grep -Ev "$system_dlls" || true)
  if [ -n "$foreign" ]; then echo "$binary imports non-system DLLs: $foreign"; exit 1; fi
done

echo "== program folder ($dir) =="
rm -rf "$dir"
mkdir -p "$dir/DLL" "$dir/Morvel/TKonvika" "$dir/sample"
# Built with -O2 and debug information (GCC 12's -O3 warns falsely in the code parser); the
# estimator gets the files without it.
"$triplet-strip" -o "$dir/konvika.exe" "$exe"
"$triplet-strip" -o "$dir/DLL/gvread.dll" "$dll"
"$host/tools/konvika-tables" "$dir" >/dev/null
cp sample/prices.txt "$dir/sample/prices.txt"
for f in konvika.exe DLL/gvread.dll Morvel/Shablon/Resurs/cenashab.dbf sample/prices.txt \
         sample/units/Ei1.dbf sample/units/Ei2.dbf; do
  [ -f "$dir/$f" ] || { echo "missing from the program folder: $f"; exit 1; }
done

zipfile="$(dirname "$dir")/konvika-win32.zip"
rm -f "$zipfile"
(cd "$(dirname "$dir")" && zip -qr "$zipfile" "$(basename "$dir")")
echo "Program folder: $dir"
echo "Archive: $zipfile"
