#!/usr/bin/env bash
# The installer as a user meets it: silent install, the Start Menu shortcuts started (the program, which then
# examines a file no program is registered for in its installed viewer, and the help), a reinstall over a
# catalogue, a silent uninstall that keeps the catalogue, and the default folder. Runs in the prefix of
# tools/run-tests.sh.
#   installer_test.sh SETUP_EXE BIN_DIR
set -uo pipefail
: "${WINEPREFIX:?run through make test (tools/run-tests.sh), which prepares the prefix}"
setup=${1:?usage: installer_test.sh SETUP_EXE BIN_DIR}
bin=${2:?usage: installer_test.sh SETUP_EXE BIN_DIR}
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/tools/wine-env.sh"

failures=0
# Names the line of the check that failed, past the expect_ helpers.
fail() {
  local i=1
  while [[ ${FUNCNAME[$i]:-main} == expect_* ]]; do i=$((i + 1)); done
  echo "FAILED (line ${BASH_LINENO[$((i - 1))]}): $*"
  failures=$((failures + 1))
}
expect_eq() { [ "$1" == "$2" ] || fail "$3: expected '$2', got '$1'"; }
expect_file() { [ -e "$1" ] || fail "missing: $1"; }
expect_gone() { [ ! -e "$1" ] || fail "still there: $1"; }

wine() { "$WINE64" "$@" 2>/dev/null; }
unix_path() { "$WINE64" winepath -u "$1" 2>/dev/null; }
# Polls a condition for up to $1 seconds.
eventually() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  until "$@"; do [ $SECONDS -ge $end ] && return 1; sleep 0.2; done
}

uninst_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrum32'
settings_key='HKCU\Software\Brackenfold\Kestrum32'
# A value from the registry as text (a DWORD as 0x...); empty when absent.
reg_value() {
  wine reg query "$1" /v "$2" | tr -d '\r' | awk -v name="$2" '
    { line = $0; sub(/^ +/, "", line) }
    index(line, name " ") == 1 { sub(/^[^ ]+( [^ ]+)* +REG_[A-Z_]+ +/, "", line); print line; exit }'
}
reg_absent() { ! wine reg query "$1" >/dev/null; }
# Through cmd, as a user types it: "/D=" takes the rest of the command line unquoted, spaces and all, which
# Wine's own argument quoting would break.
run_setup() { wine cmd /c "$(winepath_w "$setup") $*"; }
# Runs one check of installed_copy_test.exe on the installed folder; its failures go to the output.
installed_copy() {
  local log; log=$(mktemp)
  KS_INSTALLED_DIR="$custom_w" KS_AREA="$area_w" "$WINE64" "$bin/installed_copy_test.exe" \
    --gtest_filter="InstalledCopy.$1" >"$log" 2>&1
  local rc=$?
  grep -q "\[  PASSED  \] 1 test" "$log" || rc=1
  [ $rc -eq 0 ] || grep -E "Failure|Expected|Which is|Value of|Actual|SKIPPED" "$log" | head -10
  rm -f "$log"
  return $rc
}
lnk_field() { lnkinfo "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^[[:space:]]*$2[[:space:]]*: //p" | head -1; }

# Wine has refused new programs for a while at a test's start ("ShellExecuteEx failed: Internal error." in place
# of their output): the checks start once a program answers.
wine_answers() { wine_said=$(wine cmd /c echo ready | tr -d '\r'); [ "$wine_said" == "ready" ]; }
waited=$SECONDS
eventually 60 wine_answers || { fail "Wine starts no program: $wine_said"; exit 1; }
[ $SECONDS -eq $waited ] || echo "(Wine started programs again after $((SECONDS - waited)) s)"

# Pinned answers so that no first-run box waits for a user when the installed program starts.
wine reg delete "$settings_key" /f >/dev/null
wine reg add "$settings_key\\Initialisation" /v Setup /d OK /f >/dev/null
wine reg add "$settings_key\\Download Directorys" /v "Area One" /d "No Path" /f >/dev/null
wine reg delete "$uninst_key" /f >/dev/null

# The user's folders from Wine, checked to be folders: a refused start prints its box text instead.
app_data_w=$(wine cmd /c echo %APPDATA% | tr -d '\r')
local_app_data_w=$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')
start_menu=$(unix_path "$app_data_w\\Microsoft\\Windows\\Start Menu\\Programs\\Kestrum32")
local_app_data=$(unix_path "$local_app_data_w")
[[ $app_data_w$local_app_data_w == [A-Za-z]:\\*[A-Za-z]:\\* && $start_menu == /* && $local_app_data == /* ]] ||
  { fail "the user's folders from Wine: '$app_data_w' '$local_app_data_w'"; exit 1; }
custom_w='C:\ks installer test\Kestrum 32'
custom=$(unix_path "$custom_w")
area_w='C:\ks installer test area'
area=$(unix_path "$area_w")
rm -rf "$(dirname "$custom")" "$start_menu" "$area"

program_files=(kestrm32.exe kscf.dll kspdx.exe ksview.exe kshelpvw.exe KSHELP32.HLP uninstall.exe)

echo "== a silent install into a folder of the user's choice =="
run_setup /S "/D=$custom_w"; rc=$?
expect_eq "$rc" 0 "installer exit code"
for f in "${program_files[@]}"; do expect_file "$custom/$f"; done
cmp -s "$bin/kestrm32.exe" "$custom/kestrm32.exe" || fail "installed kestrm32.exe differs from the built one"
if [ -d "$bin/assistants" ]; then expect_file "$custom/assistants"; fi
expect_eq "$(reg_value "$uninst_key" DisplayName)" "Kestrum32" "DisplayName"
expect_eq "$(reg_value "$uninst_key" DisplayVersion)" "2.03" "DisplayVersion"
expect_eq "$(reg_value "$uninst_key" Publisher)" "Brackenfold" "Publisher"
expect_eq "$(reg_value "$uninst_key" UninstallString)" "\"$custom_w\\uninstall.exe\"" "UninstallString"
expect_eq "$(reg_value "$uninst_key" InstallLocation)" "$custom_w" "InstallLocation"
expect_eq "$(reg_value "$uninst_key" DisplayIcon)" "$custom_w\\kestrm32.exe,0" "DisplayIcon"
expect_eq "$(reg_value "$uninst_key" NoModify)" "0x1" "NoModify"
expect_eq "$(reg_value "$uninst_key" NoRepair)" "0x1" "NoRepair"

echo "== the Start Menu shortcuts =="
lnk="$start_menu/Kestrum32.lnk"
expect_file "$lnk"
target_w=$(lnk_field "$lnk" "Local path")
workdir_w=$(lnk_field "$lnk" "Working directory")
expect_eq "${target_w,,}" "${custom_w,,}\\kestrm32.exe" "program shortcut target"
expect_eq "${workdir_w,,}" "${custom_w,,}" "program shortcut's Start in directory"
help_lnk="$start_menu/Kestrum32 Help.lnk"
expect_file "$help_lnk"
help_target=$(lnk_field "$help_lnk" "Local path")
expect_eq "${help_target,,}" "${custom_w,,}\\kshelpvw.exe" "help shortcut target"

echo "== the help, started from its shortcut, in the program's own help viewer =="
help_exe=$(unix_path "$help_target")
[ -f "$help_exe" ] || fail "the help shortcut does not lead to the help viewer"
"$WINE64" "$help_exe" >/dev/null 2>&1 &
help_viewer=$!
installed_copy TheHelpShortcutShowsTheContentsInTheHelpViewer || fail "the help viewer did not show the help"
eventually 10 eval '! kill -0 "$help_viewer" 2>/dev/null' || fail "the help viewer did not end when its window closed"

echo "== the installed program, started from its shortcut =="
target=$(unix_path "$target_w")
workdir=$(unix_path "$workdir_w")
[ -f "$target" ] && [ -d "$workdir" ] || { fail "shortcut does not lead to the program"; exit 1; }
(cd "$workdir" && exec "$WINE64" "$target" >/dev/null 2>&1) &
program=$!
started() { [ "$(reg_value "$settings_key\\Initialisation" "Start Directory")" == "$custom_w" ] && [ -f "$custom/kspdx.tbl" ]; }
eventually 30 started || fail "the program did not start in $custom_w and open its table"
expect_file "$custom/KS_STORE"
expect_file "$custom/KS_TEMP"

# While it runs, its files cannot be replaced: a silent install ends with code 2 and changes nothing.
printf 'an older help file' >"$custom/KSHELP32.HLP"
run_setup /S "/D=$custom_w"; rc=$?
expect_eq "$rc" 2 "install while the program runs"
[ "$(cat "$custom/KSHELP32.HLP")" == "an older help file" ] || fail "a refused install replaced the help file"

wine taskkill /IM kestrm32.exe >/dev/null
closed() { ! kill -0 "$program" 2>/dev/null && ! wine tasklist | grep -qi kspdx.exe; }
if ! eventually 30 closed; then
  fail "the program and its engine did not end when asked to close"
  wine taskkill /F /IM kestrm32.exe >/dev/null; wine taskkill /F /IM kspdx.exe >/dev/null
fi

echo "== the installed program examines a file no program is registered for in its installed viewer =="
mkdir -p "$area"
printf 'words of a file no program is registered for' >"$area/notes.qqq"
if ! installed_copy ExamineShowsAFileNoProgramTakesInTheInstalledViewer; then
  fail "examine in the installed copy"
  # A program left with a box open would keep the steps below from replacing its files.
  wine taskkill /F /IM kestrm32.exe >/dev/null; wine taskkill /F /IM kspdx.exe >/dev/null; wine taskkill /F /IM ksview.exe >/dev/null
fi
# The examined copy stays in KS_TEMP until the next examine empties it; the uninstall below expects the
# scratch directory as the program leaves it after that.
rm -rf "$area" "$custom/KS_TEMP/notes.qqq"
wine reg delete "$settings_key" /f >/dev/null
wine reg add "$settings_key\\Initialisation" /v Setup /d OK /f >/dev/null

echo "== a reinstall over the catalogue =="
mkdir -p "$custom/KS_STORE"
printf 'a stored file\r\n' >"$custom/KS_STORE/STORED.TXT"
expect_file "$custom/kspdx.tbl"
table_sum=$(md5sum <"$custom/kspdx.tbl")
wine reg add "$settings_key\\Download Directorys" /v "Area One" /d 'C:\downloads' /f >/dev/null
printf 'an older program' >"$custom/kestrm32.exe"
run_setup /S; rc=$?
expect_eq "$rc" 0 "reinstall exit code"
cmp -s "$bin/kestrm32.exe" "$custom/kestrm32.exe" || fail "the reinstall did not go where the first install went"
expect_gone "$local_app_data/Programs/Kestrum32"
expect_eq "$(md5sum <"$custom/kspdx.tbl")" "$table_sum" "table after the reinstall"
expect_file "$custom/KS_STORE/STORED.TXT"
expect_eq "$(reg_value "$settings_key\\Download Directorys" "Area One")" 'C:\downloads' "a setting after the reinstall"

echo "== a silent uninstall keeps the catalogue =="
uninstall_w=$(reg_value "$uninst_key" UninstallString)
uninstall=$(unix_path "${uninstall_w//\"/}")
expect_file "$uninstall"
wine "$uninstall" /S
# The uninstaller runs on from a copy of itself and returns at once.
uninstalled() { [ ! -e "$uninstall" ] && reg_absent "$uninst_key"; }
eventually 30 uninstalled || fail "the uninstaller did not finish"
for f in "${program_files[@]}"; do expect_gone "$custom/$f"; done
expect_gone "$custom/assistants"
expect_gone "$start_menu"
expect_gone "$custom/KS_TEMP"
expect_eq "$( { md5sum <"$custom/kspdx.tbl"; } 2>/dev/null)" "$table_sum" "table after the uninstall"
expect_file "$custom/KS_STORE/STORED.TXT"
expect_eq "$(reg_value "$settings_key\\Download Directorys" "Area One")" 'C:\downloads' "a setting after the uninstall"

echo "== the default folder, and an uninstall that leaves nothing behind =="
default="$local_app_data/Programs/Kestrum32"
run_setup /S; rc=$?
expect_eq "$rc" 0 "installer exit code"
for f in "${program_files[@]}"; do expect_file "$default/$f"; done
expect_eq "$(reg_value "$uninst_key" InstallLocation)" \
  "$local_app_data_w\\Programs\\Kestrum32" "default InstallLocation"
wine "$default/uninstall.exe" /S
gone() { [ ! -e "$default" ] && reg_absent "$uninst_key"; }
eventually 30 gone || fail "the default folder was not removed: $(ls -A "$default" 2>&1)"
expect_gone "$start_menu"

rm -rf "$(dirname "$custom")"
wine reg delete "$settings_key" /f >/dev/null
if [ $failures -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "all installer checks passed"
