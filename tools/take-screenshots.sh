#!/usr/bin/env bash
# make screenshots: starts the real program on a private display in a throwaway prefix set up as `make run` sets
# up its own, with a small catalogue and a download area, and writes pictures of its windows to docs/
# (docs/kestrum32.png is the README's).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
out=${KS_SHOTS_DIR:-$top/docs}
shots=$top/build/win/tools/ks_shots.exe
[ -f "$shots" ] || { echo "missing $shots: run make screenshots" >&2; exit 1; }

. "$top/tools/wine-env.sh"
ks_begin_run ksshots
# Always a display of our own: a picture of the root window must show nothing but the program.
unset DISPLAY
ks_start_display
export WINEPREFIX="$KS_RUN_ROOT/prefix"
ks_make_run_prefix >/dev/null
wine() { "$WINE64" "$@" 2>/dev/null; }
# A virtual desktop, as `make run` uses without a display: title bars without a window manager. Here it is the
# prefix's default desktop, so that the driver's programs share it with the program.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null
"$WINESERVER" -w

prog="$WINEPREFIX/drive_c/Kestrum32"
mkdir -p "$prog" "$out"
for f in kestrm32.exe kscf.dll kspdx.exe KSHELP32.HLP; do cp "$top/build/win/bin/$f" "$prog/"; done
# The shipped assistant, installed and made the default, as Preferences, Assistants leaves it.
cp "$top/build/win/bin/assistants/ARCDESC.DLL" "$prog/"
wine "$shots" seed 'C:\Kestrum32' 'C:\Downloads'

settings='HKCU\Software\Brackenfold\Kestrum32'
wine reg add "$settings\\Initialisation" /v Setup /d OK /f >/dev/null
wine reg add "$settings\\Download Directorys" /v "Area One" /d 'C:\Downloads' /f >/dev/null
wine reg add "$settings\\Download Directorys" /v "Alias One" /d 'Downloads' /f >/dev/null
for n in Two Three Four; do
  wine reg add "$settings\\Download Directorys" /v "Area $n" /d 'No Path' /f >/dev/null
  wine reg add "$settings\\Download Directorys" /v "Alias $n" /d '' /f >/dev/null
done
wine reg add "$settings\\Download Directorys" /v Default /t REG_DWORD /d 1 /f >/dev/null
wine reg add "$settings\\Assistants\\Archive Description" /v Filename /d ARCDESC.DLL /f >/dev/null
wine reg add "$settings\\Initialisation" /v "Default Assistant" /d "Archive Description" /f >/dev/null

# In its folder, where it looks for its engine.
(cd "$prog" && exec "$WINE64" kestrm32.exe >/dev/null 2>&1) &
program=$!
# Leaves the splash time to go.
sleep 6

# Crops the screen to the rectangle "x y width height" that a driver step printed.
shoot() {
  local name=$1 rect=$2 x y w h
  read -r x y w h <<<"$rect"
  [ -n "$h" ] || { echo "the program did not show the windows for $name" >&2; exit 1; }
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$name.png"
  echo "wrote $out/$name.png"
}
step() { wine "$shots" "$@" | tr -d '\r'; }

shoot kestrum32 "$(step open-children)"
shoot search-interface "$(step shot-search)"
shoot storage-interface "$(step open-store-default)"
step dismiss >/dev/null
shoot catalogue-check "$(step open-check)"
step close-child "Catalogue Check" >/dev/null
shoot record-interface "$(step open-record)"
shoot path-preferences "$(step open-command 301)"
step dismiss >/dev/null
shoot about "$(step open-command 2009)"
step dismiss >/dev/null
step close >/dev/null
for _ in $(seq 50); do kill -0 "$program" 2>/dev/null || break; sleep 0.2; done
