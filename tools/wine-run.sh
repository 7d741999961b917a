#!/usr/bin/env bash
# Runs one Windows test program under Wine in the prefix and display prepared by tools/run-tests.sh.
# Test programs find the built program folder through KS_BIN (a Windows path).
set -u
: "${WINEPREFIX:?run through make test (tools/run-tests.sh), which prepares the prefix}"
exe=$1; shift
export WINEDEBUG=-all
export KS_BIN="Z:$(dirname "$exe" | sed 's#/#\\#g')"
exec timeout -k 5 "${KS_TEST_TIMEOUT:-300}" /usr/lib/wine/wine64 "$exe" "$@"
