#!/usr/bin/env bash
# The Windows build: cross-builds GoogleTest, the GUI-free libraries, the tools and their tests
# with Debian's mingw-w64 and runs the tests under wine, as a user other than root, with Russian
# regional settings, in a wine prefix of its own and without a display. Afterwards the Debian
# dBASE readers (python3-dbfread, index_dump) read the tables the Windows tools wrote.
#
# The program is 32-bit, so the 32-bit build is always made and, with wine32, tested. Where
# wine32 cannot be installed the script says so and tests the 64-bit build under wine64.
# Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=${KONVIKA_JOBS:-$(nproc)}
out=${KONVIKA_WINDOWS_BUILD:-$root/build-windows}
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# --- wine32 -----------------------------------------------------------------------------------
have_wine32() { dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; }
install_wine32() {
  dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
  # A mirror in the middle of a sync serves an index of the wrong size for a while: retry.
  local attempt
  for attempt in 1 2 3; do
    as_root apt-get -o DPkg::Lock::Timeout=600 update -qq || true
    if as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 \
         install -y -qq wine32:i386 >/dev/null; then
      return 0
    fi
    [ "$attempt" -lt 3 ] && sleep 30
  done
  return 1
}
run_arch=i686
if ! scripts/runs-32bit.sh; then
  run_arch=x86_64
  echo "######################################################################################"
  echo "## This machine cannot run 32-bit x86 programs (its kernel has no 32-bit support), so"
  echo "## wine32 cannot either. The 32-bit build is compiled, but its tests run as the 64-bit"
  echo "## build under wine64. Not run here: the __stdcall reader-library builds; the 32-bit call"
  echo "## thunk is run under user-mode emulation by the Linux tests."
  echo "######################################################################################"
elif ! have_wine32 && ! install_wine32; then
  run_arch=x86_64
  echo "######################################################################################"
  echo "## wine32 cannot be installed on this machine (apt-get install wine32:i386 failed)."
  echo "## The 32-bit build is compiled, but its tests run as the 64-bit build under wine64."
  echo "## Not tested here: the __stdcall reader-library builds and the 32-bit call thunk."
  echo "######################################################################################"
fi

# --- builds -----------------------------------------------------------------------------------
build_arch() {  # build_arch i686|x86_64
  local arch=$1 dir=$out/$1
  local toolchain=$root/cmake/mingw-w64-$arch.cmake
  if [ ! -f "$dir/googletest/lib/cmake/GTest/GTestConfig.cmake" ]; then
    echo "== GoogleTest for $arch =="
    cmake -S /usr/src/googletest -B "$dir/googletest-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$dir/googletest" >/dev/null
    cmake --build "$dir/googletest-build" -j "$jobs" >/dev/null
    cmake --install "$dir/googletest-build" >/dev/null
  fi
  echo "== Windows build ($arch) =="
  cmake -S . -B "$dir/konvika" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DKONVIKA_WERROR=ON -DKONVIKA_GUI=OFF \
    -DKONVIKA_BENCH=OFF -DGTest_DIR="$dir/googletest/lib/cmake/GTest" >/dev/null
  cmake --build "$dir/konvika" -j "$jobs"
}
build_arch i686
[ "$run_arch" = i686 ] || build_arch x86_64
build=$out/$run_arch/konvika

# The shipped development reader library: 32-bit, plain names, nothing but system imports.
dll=$out/i686/konvika/DLL/gvread.dll
objdump_i686=i686-w64-mingw32-objdump
$objdump_i686 -f "$dll" | grep -q 'file format pei-i386' || { echo "gvread.dll is not 32-bit"; exit 1; }
exports=$($objdump_i686 -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p')
for name in gvOpen gvClose gvGetTables gvGetTable gvGetRecords gvGetRecord gvGetCountR \
            gvGetCountT gvGetTech gvSizeBuffer gvGetError; do
  echo "$exports" | grep -qE "\] $name\$" || { echo "gvread.dll does not export $name"; exit 1; }
done
imports=$($objdump_i686 -p "$dll" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
for import in $imports; do
  case $import in kernel32.dll|msvcrt.dll|user32.dll|api-ms-win-*) ;;
    *) echo "gvread.dll imports $import: not linked statically"; exit 1 ;;
  esac
done
echo "DLL\\gvread.dll: 32-bit, eleven plain exports, imports: $(echo $imports)"

# --- a user and a wine prefix for the run -----------------------------------------------------
work=$(mktemp -d /tmp/konvika-wine.XXXXXX)
chmod 755 "$work"
trap 'rm -rf "$work" 2>/dev/null || as_root rm -rf "$work"' EXIT
runner=()
if [ "$(id -u)" -eq 0 ]; then
  user=konvika-wine
  id "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
  chown "$user" "$work"
  runner=(runuser -u "$user" --)
fi
# The build must be readable by that user; it writes only into the work folder.
wine_env=(env -i PATH=/usr/bin:/bin HOME="$work" USER="${user:-$USER}" WINEPREFIX="$work/prefix"
          WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8
          DISPLAY= KONVIKA_SOURCE_DIR="$root" KONVIKA_BINARY_DIR="$build")
wine=wine
in_wine() { (cd "$build" && "${runner[@]}" "${wine_env[@]}" "$wine" "$@"); }

echo "== wine prefix (Russian settings, no display) =="
start=$(date +%s)
"${runner[@]}" "${wine_env[@]}" wineboot -i >/dev/null 2>&1 || true
"${runner[@]}" "${wine_env[@]}" wineserver -p 600 >/dev/null 2>&1 || true

# --- the tests --------------------------------------------------------------------------------
echo "== tests under wine ($run_arch) =="
failed=()
mapfile -t programs < <(cd "$build" && find tests -name '*_tests.exe' | sort)
[ ${#programs[@]} -gt 0 ] || { echo "no test programs were built"; exit 1; }
for program in "${programs[@]}"; do
  log=$work/$(basename "$program" .exe).log
  if in_wine "$program" --gtest_brief=1 >"$log" 2>&1; then
    echo "passed: $program ($(grep -Eo '[0-9]+ tests? from [0-9]+ test suites? ran' "$log" | head -1))"
  else
    echo "FAILED: $program"; sed -e 's/^/    /' "$log" | tail -60
    failed+=("$program")
  fi
  grep -E '^\[  SKIPPED \]' "$log" | sed -e 's/^/    /' || true
done

# --- tables written by the Windows build, read on Linux ---------------------------------------
echo "== tables of the Windows build read by python3-dbfread and index_dump =="
program_folder="$work/Программа Морвел 1.0"
mkdir -p "$program_folder" && [ -z "${user:-}" ] || chown "$user" "$program_folder"
windows_folder="Z:$(echo "$program_folder" | tr '/' '\\')"
check_failed=0
in_wine tools/konvika-tables.exe "$windows_folder" || check_failed=1
in_wine tools/konvika-answers.exe "$windows_folder" || check_failed=1
/usr/bin/python3 - "$program_folder" <<'EOF' || check_failed=1
import os, sys, dbfread
root = sys.argv[1]
expected = {
    ("Morvel", "Shablon", "Resurs", "cenashab.dbf"): 0,
    ("sample", "units", "Ei1.dbf"): 1,
    ("sample", "units", "Ei2.dbf"): 1,
    ("Morvel", "TKonvika", "kodper.dbf"): 1,
    ("Morvel", "TKonvika", "edizper.dbf"): 1,
}
bad = 0
for parts, least in expected.items():
    path = os.path.join(root, *parts)
    table = dbfread.DBF(path, encoding="cp1251", load=True)
    print("  %-40s %2d fields, %3d records" % ("/".join(parts), len(table.fields), len(table.records)))
    if len(table.records) < least or not table.fields:
        print("  unexpected contents of", path); bad = 1
sys.exit(bad)
EOF
# Every tag of each production index holds one key per record of its table.
for table in kodper edizper; do
  dbf=$program_folder/Morvel/TKonvika/$table.dbf
  records=$(/usr/bin/python3 -c 'import sys, dbfread; print(len(dbfread.DBF(sys.argv[1], load=True).records))' "$dbf") ||
    { echo "python3-dbfread cannot read $dbf"; check_failed=1; continue; }
  tags=$(index_dump "${dbf%.dbf}.mdx" 2>&1) || { echo "index_dump failed on $table.mdx: $tags"; check_failed=1; continue; }
  [ -n "$tags" ] || { echo "$table.mdx has no tags"; check_failed=1; }
  for tag in $tags; do
    keys=$(index_dump "${dbf%.dbf}.mdx" "$tag" | grep -c .) || keys=0
    echo "  $table.mdx tag $tag: $keys keys for $records records"
    [ "$keys" -eq "$records" ] || check_failed=1
  done
done
[ "$check_failed" -eq 0 ] || failed+=("tables read on Linux")

"${runner[@]}" "${wine_env[@]}" wineserver -k >/dev/null 2>&1 || true
echo "Windows tests took $(( $(date +%s) - start )) s under wine ($run_arch)."
if [ ${#failed[@]} -gt 0 ]; then
  echo "Windows tests FAILED: ${failed[*]}"
  exit 1
fi
echo "All Windows tests passed ($run_arch)."
