# Sourced by the scripts that run the Windows program under wine: a private Xvfb display, a user
# that is not root (wine refuses a prefix of another user, and root should not run it), a fresh
# wine prefix and a Russian locale. Defines `as_wine_user CMD...`, `on_display CMD...` and `wine_session_end`; expects
# $work (a temporary folder the caller removes) and sets $arch to the program's architecture:
# i686, or x86_64 with a plain notice when 32-bit wine cannot be installed here.

wine_session_as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

wine_session_install() {
  local packages=(xvfb xdotool wmctrl imagemagick python3-dbfread libdbd-xbase-perl wine locales)
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    wine_session_as_root apt-get update -qq || true
    wine_session_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
      "${missing[@]}" >/dev/null
  fi
  arch=i686
  if ! scripts/runs-32bit.sh; then
    echo "NOTE: this machine cannot run 32-bit x86 programs (its kernel has no 32-bit support),"
    echo "      so the 32-bit konvika.exe cannot run here; a 64-bit build of the same program"
    echo "      runs under wine64."
    arch=x86_64
    return 0
  fi
  if [ ! -x /usr/lib/wine/wine ]; then
    dpkg --print-foreign-architectures | grep -qx i386 ||
      wine_session_as_root dpkg --add-architecture i386
    wine_session_as_root apt-get update -qq || true
    wine_session_as_root env DEBIAN_FRONTEND=noninteractive \
      apt-get install -y -qq wine32:i386 >/dev/null || true
  fi
  if [ ! -x /usr/lib/wine/wine ]; then
    echo "NOTE: 32-bit wine (wine32:i386) could not be installed on this machine, so the 32-bit"
    echo "      konvika.exe cannot run here; a 64-bit build of the same program runs under wine64."
    arch=x86_64
  fi
}

wine_session_start() {
  wine_runner=()
  if [ "$(id -u)" -eq 0 ]; then
    id konvika-wine >/dev/null 2>&1 || useradd -m -s /bin/bash konvika-wine
    chown -R konvika-wine "$work"
    wine_runner=(runuser -u konvika-wine --)
  fi
  chmod 755 "$work"
  exec 3< <(Xvfb -displayfd 1 -screen 0 1600x1200x24 -nolisten tcp 2>/dev/null)
  wine_xvfb_pid=$!
  local display
  read -r display <&3
  wine_display=":$display"
  wine_environment=(env HOME="$work" DISPLAY="$wine_display" WINEPREFIX="$work/wine" WINEDEBUG=-all
                    WINEDLLOVERRIDES="mscoree,mshtml=" LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8
                    TMPDIR="$work")
  as_wine_user wineboot -i >/dev/null 2>&1
  as_wine_user wineserver -w
}

as_wine_user() { "${wine_runner[@]}" "${wine_environment[@]}" "$@"; }
# X tools (xdotool, import) need only the display.
on_display() { env DISPLAY="$wine_display" "$@"; }

wine_session_end() {
  [ -n "${wine_environment+x}" ] && as_wine_user wineserver -k 2>/dev/null || true
  [ -n "${wine_xvfb_pid:-}" ] && kill "$wine_xvfb_pid" 2>/dev/null || true
}
