#!/usr/bin/env bash
# Starts kestrm32.exe under Wine in the installed program folder (its current directory, where it finds kspdx.exe).
# Without a display it starts Xvfb, says so, and writes a screenshot of the screen after start-up.
set -uo pipefail
dir=${1:?usage: run-program.sh DIR}
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/tools/wine-env.sh"
export WINEPREFIX=${WINEPREFIX:-$HOME/.local/share/kestrum32-wine}
ks_make_run_prefix || exit 1
cd "$dir"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$WINE64" kestrm32.exe
fi

ks_start_display
echo "No display found: started Xvfb on $DISPLAY (1024x768)."
shot=${KS_SCREENSHOT:-$dir/screenshot.png}
# A virtual desktop gives the windows title bars without a window manager.
"$WINE64" explorer /desktop=Kestrum32,1024x768 kestrm32.exe &
prog=$!
sleep "${KS_SHOT_DELAY:-8}"
import -window root "$shot" && echo "Screenshot of the program after start-up: $shot"
echo "The program runs on the hidden display $DISPLAY; press Ctrl+C to end it."
trap 'ks_stop; kill $prog 2>/dev/null' INT TERM EXIT
wait $prog
