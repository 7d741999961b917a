#!/usr/bin/env bash
# make test: install what is missing, build both trees, run the native tests, then the Windows tests under Wine
# in a throwaway prefix on a private display. Ends with ctest's summary; exits non-zero on any failure.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/tools/install-deps.sh" || exit 1
make -s build || exit 1

. "$top/tools/wine-env.sh"
ks_begin_run kstest
run_root=$KS_RUN_ROOT

status=0
echo "== native tests (ASan/UBSan) =="
(cd build/native && ctest --output-on-failure -j2) || status=1

echo "== Windows tests under Wine =="
ks_start_display
ks_make_prefix "$run_root/prefix"
(cd build/win && ctest --output-on-failure -j2) || status=1
exit $status
