#!/usr/bin/env bash
# Installs the program folder: the deliverables are copied over; the catalogue (store, table, scratch) stays.
set -euo pipefail
dest=${1:?usage: install-program.sh DIR}
src=$(cd "$(dirname "$0")/.." && pwd)/build/win/bin
mkdir -p "$dest"
for f in kestrm32.exe kscf.dll kspdx.exe ksview.exe kshelpvw.exe KSHELP32.HLP; do
  [ -f "$src/$f" ] || { echo "missing $src/$f: run make build" >&2; exit 1; }
  cp -f "$src/$f" "$dest/$f"
done
echo "Program folder: $dest"
