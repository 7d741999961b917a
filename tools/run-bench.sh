#!/usr/bin/env bash
# make bench: the engine and search benchmarks. The core benchmark runs natively, the engine, copy-data and search
# benchmarks under Wine in a throwaway prefix on a private display. Prints one "name: value" line per figure, then
# whether the targets are met; exits non-zero when a benchmark could not run (not when a figure is low).
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

. "$top/tools/wine-env.sh"
ks_begin_run ksbench
run_root=$KS_RUN_ROOT

status=0
out="$run_root/out.txt"
# The link's figures need both processors; other work on the machine lowers them.
echo "machine_load_avg_1min: $(cut -d' ' -f1 /proc/loadavg)"

# The native tree is built with sanitizers, which would time the checks rather than the engine: the core
# benchmark gets an optimised tree of its own.
if [ ! -f build/bench/build.ninja ]; then
  cmake -S . -B build/bench -G Ninja -DKS_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null || exit 1
fi
cmake --build build/bench --target engine_core_bench -j "${JOBS:-2}" >/dev/null || exit 1

# Its figures are the engine core's alone, named apart from the engine's figures measured over the link.
build/bench/bench/engine_core_bench "$run_root" >"$out" 2>&1 || status=1
sed 's/^engine_/engine_core_/' "$out"

ks_start_display
ks_make_prefix "$run_root/prefix"
# Output goes to a file (the prefix's persistent server would keep a pipe open); the C runtime ends its lines
# with CR LF, the figures are printed with LF alone.
run_win() {
  timeout -k 5 300 "$WINE64" "$@" >"$out.crlf" 2>&1 || status=1
  tr -d '\r' <"$out.crlf" >"$out"
  cat "$out"
}
run_win build/win/bench/engine_bench.exe "$(winepath_w "$top/build/win/bin/kspdx.exe")"
engine_figures=$(cat "$out")
run_win build/win/bench/copydata_bench.exe
run_win build/win/bench/convert_bench.exe "$(winepath_w "$top/build/win/bin")"

# The Search Interface over 100,000 records, from a folder laid out as the program's (the table is written there).
run_win build/win/bench/search/search_bench.exe
search_figures=$(cat "$out")

# The Catalogue Check over 100,000 records and a KS_STORE of 100,000 files, made here natively in a second or two
# (FILE7.ZIP left out: the one missing file the check must find).
check_dir="$top/build/win/bench/check"
rm -rf "$check_dir/KS_STORE"
mkdir -p "$check_dir/KS_STORE"
python3 - "$check_dir/KS_STORE" <<'PY'
import os, sys
for i in range(1, 100001):
    if i != 7:
        open(os.path.join(sys.argv[1], "FILE%d.ZIP" % i), "wb").close()
PY
run_win build/win/bench/check/check_bench.exe
check_figures=$(cat "$out")
rm -rf "$check_dir/KS_STORE"

# Export of 100,000 records and Store All of 1,000 files of 100 KB with the shipped assistant as the default.
run_win build/win/bench/intake/intake_bench.exe "$(winepath_w "$top/build/win/bin/assistants")"
intake_figures=$(cat "$out")

# Targets: a 100,000-record walk at 200,000 round trips per second or more, at least 500 durable adds per second.
figure() { sed -n "s/^$1: //p" <<<"$engine_figures"; }
walk=$(figure engine_walk_round_trips_per_s)
adds=$(figure engine_durable_adds_per_s)
if [ -n "$walk" ] && [ -n "$adds" ] && [ "$walk" -ge 200000 ] && [ "$adds" -ge 500 ]; then
  echo "engine_targets_met: yes"
else
  echo "engine_targets_met: no"
fi

# Targets: every record listed in 3 s, a selective search in 0.5 s, Abort within 100 ms, a line refresh in 50 ms.
search_figure() { sed -n "s/^$1: //p" <<<"$search_figures"; }
if awk -v all="$(search_figure search_all_100k_s)" -v sel="$(search_figure search_selective_100k_s)" \
       -v abort="$(search_figure search_abort_latency_ms)" -v refresh="$(search_figure refresh_line_100k_ms)" \
       'BEGIN { exit !(all != "" && sel != "" && abort != "" && refresh != "" &&
                       all <= 3 && sel <= 0.5 && abort <= 100 && refresh <= 50) }'; then
  echo "search_targets_met: yes"
else
  echo "search_targets_met: no"
fi

# Target: the Catalogue Check over 100,000 records and files in 5 s or less.
if awk -v check="$(sed -n 's/^check_catalogue_100k_s: //p' <<<"$check_figures")" \
       'BEGIN { exit !(check != "" && check <= 5) }'; then
  echo "check_targets_met: yes"
else
  echo "check_targets_met: no"
fi
# Targets: 100,000 records exported in 3 s or less, 1,000 files stored by Store All in 30 s or less.
if awk -v export="$(sed -n 's/^export_100k_s: //p' <<<"$intake_figures")" \
       -v store="$(sed -n 's/^store_all_1000_s: //p' <<<"$intake_figures")" \
       'BEGIN { exit !(export != "" && store != "" && export <= 3 && store <= 30) }'; then
  echo "intake_targets_met: yes"
else
  echo "intake_targets_met: no"
fi
exit $status
