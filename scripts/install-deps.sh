#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Konvika need, only those
# that are missing, and makes a Russian locale available for the locale tests.
set -euo pipefail

packages=(
  build-essential cmake ninja-build clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev
  python3 python3-dbfread python3-dbf libdbd-xbase-perl fpc fp-units-db
  qt6-translations-l10n
  locales xvfb xdotool x11-apps x11-utils openbox wmctrl imagemagick strace valgrind
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 zip file
  g++-multilib qemu-user-static
)
# wine32 (the 32-bit Windows build's test runner) needs the i386 architecture; it is installed
# by scripts/test-windows.sh, which says so plainly when it cannot be.

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  # An index that fails to download (a mirror in the middle of a sync) leaves the older one in
  # use; the install below says plainly if a package is then missing.
  as_root apt-get update -qq || echo "apt-get update reported errors; installing from the lists at hand"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
  if [ -f /etc/locale.gen ]; then
    as_root sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
    as_root locale-gen >/dev/null || echo "locale-gen failed; locale tests will be skipped"
  fi
fi
