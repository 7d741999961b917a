# Sourced by the test and run scripts: a display and a Wine prefix set up the way our tests expect.
#   ks_start_display            starts Xvfb on a free display unless DISPLAY already works
#   ks_make_prefix DIR          creates a fresh prefix with our pinned settings (not in parallel: first use races)
#                               and keeps its desktop open for the run (ks_keep_desktop)
#   ks_add_glyph_font           lists the caption-button glyph font in $WINEPREFIX (needed once per prefix)
#   ks_make_run_prefix          makes $WINEPREFIX the way `make run` keeps it (once), with the glyph font
#   ks_stop                     ends the wineserver of the prefix and the Xvfb we started
#   ks_begin_run TAG            pins the environment, makes the scratch folder KS_RUN_ROOT, cleans up at exit
WINE64=${WINE64:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

ks_start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local fifo; fifo=$(mktemp -u); mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  KS_XVFB_PID=$!
  local n; read -r n <"$fifo"; rm -f "$fifo"
  export DISPLAY=":$n"
}

ks_make_prefix() {
  export WINEPREFIX="$1"
  rm -rf "$WINEPREFIX"; mkdir -p "$WINEPREFIX"
  "$WINE64" wineboot -i >/dev/null 2>&1
  "$WINESERVER" -w
  # A default virtual desktop gives title bars and one window list without a window manager;
  # a crash must end the process instead of waiting in a dialog; dates must not depend on the host locale.
  local reg="$WINEPREFIX/ks-test.reg"
  cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Control Panel\International]
"sShortDate"="MM/dd/yy"
REG
  ks_glyph_font_reg >>"$reg"
  "$WINE64" regedit /S "$(winepath_w "$reg")" >/dev/null 2>&1
  "$WINESERVER" -w
  # A second volume on another file system (T:), for moves that must copy across volumes.
  if [ -d /dev/shm ] && KS_SECOND_VOLUME=$(mktemp -d /dev/shm/kstest.XXXXXX 2>/dev/null); then
    ln -sfn "$KS_SECOND_VOLUME" "$WINEPREFIX/dosdevices/t:"
  fi
  # A small volume (S:) that fills up, for stores onto a full disk; only where this user may mount one.
  if KS_SMALL_VOLUME=$(mktemp -d /tmp/kssmall.XXXXXX 2>/dev/null); then
    if mount -t tmpfs -o size=256k tmpfs "$KS_SMALL_VOLUME" 2>/dev/null; then
      ln -sfn "$KS_SMALL_VOLUME" "$WINEPREFIX/dosdevices/s:"
    else
      rmdir "$KS_SMALL_VOLUME"; KS_SMALL_VOLUME=""
    fi
  fi
  # Keep the server warm between the many short test programs.
  "$WINESERVER" -p
  # The first program of a prefix starts its background processes (services, desktop); started here, they
  # do not inherit a test's output pipe, which would keep ctest waiting until its timeout.
  "$WINE64" cmd /c exit </dev/null >/dev/null 2>&1
  ks_keep_desktop
}

# Why: Wine closes the virtual desktop one second after its last program ends, and a program starting in that
# moment has had its start refused ("Could not spawn process", "ShellExecuteEx failed: Internal error"). The
# test programs' own desktop keeper, when built, stays on it until the prefix's server ends.
KS_DESKTOP_KEEPER=${KS_DESKTOP_KEEPER:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/win/bin/desktop_keeper.exe}
ks_keep_desktop() {
  [ -f "$KS_DESKTOP_KEEPER" ] || return 0
  local ready="$WINEPREFIX/desktop-kept"
  rm -f "$ready"
  "$WINE64" "$KS_DESKTOP_KEEPER" "$(winepath_w "$ready")" </dev/null >/dev/null 2>&1 &
  local i
  for ((i = 0; i < 150; i++)); do [ -e "$ready" ] && break; sleep 0.2; done
  [ -e "$ready" ] || echo "warning: the desktop keeper did not start; tests may meet a closing desktop" >&2
}

# Why: a prefix made by wineboot lists no Marlett among its fonts although fonts-wine ships it, so the
# non-client painter falls back to a text font and caption buttons show as the letters "0 1 r". Fonts are read
# when the server starts, so the caller restarts the prefix's server after adding the value.
KS_GLYPH_FONT=${KS_GLYPH_FONT:-/usr/share/wine/fonts/marlett.ttf}
ks_glyph_font_reg() {
  printf '\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts]\n'
  printf '"Marlett (TrueType)"="%s"\n' "$(winepath_w "$KS_GLYPH_FONT" | sed 's/\\/\\\\/g')"
}

ks_add_glyph_font() {
  grep -q '"Marlett (TrueType)"' "$WINEPREFIX/system.reg" 2>/dev/null && return 0
  [ -f "$KS_GLYPH_FONT" ] || { echo "missing $KS_GLYPH_FONT: run tools/install-deps.sh (fonts-wine)" >&2; return 1; }
  local reg="$WINEPREFIX/ks-fonts.reg"
  { echo REGEDIT4; ks_glyph_font_reg; } >"$reg"
  "$WINE64" regedit /S "$(winepath_w "$reg")" >/dev/null 2>&1
  "$WINESERVER" -w
}

ks_make_run_prefix() {
  if [ ! -d "$WINEPREFIX/drive_c" ]; then
    echo "Creating the Wine prefix $WINEPREFIX (once)..."
    "$WINE64" wineboot -i >/dev/null 2>&1; "$WINESERVER" -w
  fi
  ks_add_glyph_font
}

winepath_w() { echo "Z:${1//\//\\}"; }

ks_stop() {
  [ -n "${WINEPREFIX:-}" ] && "$WINESERVER" -k >/dev/null 2>&1 || true
  [ -n "${KS_XVFB_PID:-}" ] && kill "$KS_XVFB_PID" 2>/dev/null || true
  [ -n "${KS_SECOND_VOLUME:-}" ] && rm -rf "$KS_SECOND_VOLUME" || true
  if [ -n "${KS_SMALL_VOLUME:-}" ]; then umount "$KS_SMALL_VOLUME" 2>/dev/null; rmdir "$KS_SMALL_VOLUME" 2>/dev/null; fi
  true
}

ks_begin_run() {
  # Pinned so that texts and dates do not depend on the machine.
  export LC_ALL=C.UTF-8 LANG=C.UTF-8 TZ=UTC
  KS_RUN_ROOT=$(mktemp -d "/tmp/$1.XXXXXX")
  export HOME="$KS_RUN_ROOT/home"; mkdir -p "$HOME"
  trap 'ks_stop; rm -rf "$KS_RUN_ROOT"' EXIT
}
