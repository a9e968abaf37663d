# The generic Uninstall.exe under Wine: the sample built with --uninstaller and installed, then
# removed through the command the system's list holds, in its real dialogs (No changes nothing;
# Yes removes all but the user's own file, which the final message lists); unattended with /S;
# again after the removal; a read-only file; beside a second product that shares the library.
# Afterwards the machine is as it was before the installation, and once Windows starts again
# not even the uninstaller's temporary copy stays.
source "$(dirname "$0")/support.bash"

dist=$WORK/dist
wine "$BUILD_DIR/setup-pack.exe" build --uninstaller --name 'Sample Notes' \
  --script "$(winpath "$SAMPLE/setup.txt")" --from "$(winpath "$SAMPLE/files")" \
  --out "$(winpath "$dist")" --welcome "$(winpath "$SAMPLE/welcome.txt")" \
  --terms "$(winpath "$SAMPLE/terms.txt")" >/dev/null
[ -f "$dist/uninstall-program.cmp" ] || fail "setup-pack.exe added no uninstaller"

find_temp_dir
app="$DRIVE_C/Program Files/Sample Notes"
app_win='C:\Program Files\Sample Notes'
dll="$DRIVE_C/windows/system32/snrt12.dll"
dll_win='C:\windows\system32\snrt12.dll'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sample Notes'
shared_key='HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs'
pending_key='HKLM\System\CurrentControlSet\Control\Session Manager'

install() {
  run_setup "$dist" 'Sample*Notes' --unattended
  expect_eq 0 "$STATUS" "installation"
}

expect_same_machine() {  # expected-snapshot what
  local now
  now=$(machine_snapshot)
  [ "$1" == "$now" ] || fail "$2: the machine changed: $(diff <(echo "$1") <(echo "$now") | head -20)"
}

# A path in an expected text of the UI driver, where a backslash starts an escape.
esc() { printf '%s' "${1//\\/\\\\}"; }

# The uninstaller started in the background; `play` runs the UI driver on a script read from
# standard input against its dialogs; `ended` waits for it and sets STATUS.
start_uninstall() {  # program arguments...
  local program=$1
  shift
  (cd "$WORK" && exec timeout 120 wine "$program" "$@") >"$WORK/uninstall.out" 2>&1 &
  UNINSTALL_PID=$!
}
play() {
  cat >"$WORK/driver.txt"
  if ! wine "$BUILD_DIR/ui_driver.exe" "$(winpath "$WORK/driver.txt")" >"$WORK/driver.out" 2>&1; then
    kill "$UNINSTALL_PID" 2>/dev/null || true
    wait "$UNINSTALL_PID" 2>/dev/null || true
    cat "$WORK/driver.out" >&2
    fail "the UI driver stopped"
  fi
}
ended() {
  set +e
  wait "$UNINSTALL_PID"
  STATUS=$?
  set -e
}
drive_uninstall() {  # program arguments...
  start_uninstall "$@"
  play
  ended
}
run_uninstall() { run_program "$WORK" "$@"; }  # program arguments...: unattended, no driver

before=$(machine_snapshot)
install
echo "my own notes" >"$app/My notes.txt"
installed=$(machine_snapshot)
# Uninstall.exe as the system's list starts it: the UninstallString, without its quotes.
command=$(reg_value "$uninstall_key" UninstallString)
expect_eq "REG_SZ \"$app_win\\Uninstall.exe\"" "$command" "UninstallString"
program=${command#REG_SZ \"}
program=${program%\"}

# No: nothing changes. While the question is open, neither an installation nor another removal
# can start.
start_uninstall "$program"
play <<EOF_SCRIPT
window|Uninstall|7
message|Do you want to remove Sample Notes 1.2 and all of its components?
owner|-
screenshot|$SHOTS_WIN\\uninstall-1-question.png
EOF_SCRIPT
run_setup "$dist" 'Sample*Notes' --unattended
expect_eq 1 "$STATUS" "exit status of Setup.exe while the uninstaller runs"
expect_contains "$ERR" "another installation or removal is running on this computer" \
  "Setup.exe while the uninstaller runs"
run_uninstall "$program" /S
expect_eq 1 "$STATUS" "exit status of a second uninstaller"
expect_contains "$ERR" "another installation or removal is running on this computer" \
  "a second uninstaller"
play <<EOF_SCRIPT
window|Uninstall|7
press|7
gone
EOF_SCRIPT
ended
expect_eq 2 "$STATUS" "exit status after No"
expect_same_machine "$installed" "No"

# Yes: the progress page, the last use of the shared library (removed), the final message
# naming the user's file and the log.
log_win="$TEMP_WIN\\UNINSTALL.LOG"
drive_uninstall "$program" <<EOF_SCRIPT
window|Uninstall|7
press|6
gone
window|Uninstall|1003
style|80000|0
exstyle|40000|40000
progress|1003|0|15
screenshot|$SHOTS_WIN\\uninstall-2-progress.png
window|Uninstall|6
owner|Uninstall
message|The system indicates that the following shared file is no longer used by any programs ... remove it?\n\n$(esc "$dll_win")
screenshot|$SHOTS_WIN\\uninstall-3-shared-file.png
press|6
gone
closed|Uninstall|1003
window|Uninstall|1
owner|-
message|Sample Notes 1.2 was removed from this computer. These stay:\n$(esc "$app_win\My notes.txt") (not installed by this product)\n\nThe log of the removal is $(esc "$log_win")
screenshot|$SHOTS_WIN\\uninstall-4-final.png
press|1
gone
EOF_SCRIPT
expect_eq 0 "$STATUS" "exit status of the removal"
for shot in 1-question 2-progress 3-shared-file 4-final; do
  expect_png "$SHOTS/uninstall-$shot.png"
done
wait_for_removal "$app/Uninstall.exe" "Uninstall.exe"
expect_eq "My notes.txt" "$(ls -A "$app")" "what stays in the installation directory"
expect_eq "my own notes" "$(cat "$app/My notes.txt")" "the user's file"
[ ! -e "$dll" ] || fail "the library answered Yes for stayed"
expect_eq "" "$(reg_value "$shared_key" "$dll_win")" "the library's count"
log=$TEMP_DIR/UNINSTALL.LOG
expect_timestamps "$log"
log_text=$(tr -d '\r' <"$log")
expect_contains "$log_text" "Removed: $app_win\\Data\\Templates" "the log of the removal"
[[ $log_text != *snrt12* ]] || fail "the hidden name is in the log"
# What the final message told the user to remove by hand gone, the machine is as before.
rm "$app/My notes.txt"
rmdir "$app"
expect_same_machine "$before" "after the removal"

# Unattended: no questions; the unused library is kept and listed; the directory goes entirely.
install
cp "$app/Uninstall.exe" "$app/uninstall.drc" "$WORK/"
run_uninstall "$program" /S
expect_eq 0 "$STATUS" "exit status of /S"
expect_contains "$ERR" "Sample Notes 1.2 was removed from this computer. These stay: $dll_win (shared file no longer used, kept)" \
  "the message of /S"
wait_for_removal "$app" "the installation directory after /S"
[ -f "$dll" ] || fail "/S removed the unused library"
rm "$dll"
expect_same_machine "$before" "after /S"

# Again after the removal, from a copy the user kept: told, and nothing changes.
mkdir "$app"
cp "$WORK/Uninstall.exe" "$WORK/uninstall.drc" "$app/"
kept=$(machine_snapshot)
drive_uninstall "$program" <<EOF_SCRIPT
window|Uninstall|1
message|Sample Notes 1.2 is not installed on this computer (any more): nothing was changed.
screenshot|$SHOTS_WIN\\uninstall-5-not-installed.png
press|1
gone
EOF_SCRIPT
expect_eq 0 "$STATUS" "exit status of a second removal"
expect_png "$SHOTS/uninstall-5-not-installed.png"
expect_same_machine "$kept" "a second removal"
rm -r "$app"

# A read-only file: listed, kept intact, exit status 4, everything else removed.
install
wine attrib +r "$app_win\\readme.txt" >/dev/null 2>&1
run_uninstall "$program" /SILENT
expect_eq 4 "$STATUS" "exit status with a read-only file"
expect_contains "$ERR" "You can remove them manually: $app_win\\readme.txt" "the read-only file listed"
cmp -s "$SAMPLE/files/readme.txt" "$app/readme.txt" || fail "the read-only file changed"
wait_for_removal "$app/Uninstall.exe" "Uninstall.exe beside a read-only file"
expect_eq "readme.txt" "$(ls -A "$app")" "what stays beside a read-only file"
expect_eq "" "$(reg_value "$uninstall_key" DisplayName)" "the product's record beside a read-only file"
chmod u+w "$app/readme.txt"
rm -r "$app" "$dll"
expect_same_machine "$before" "after the read-only file"

# A second product that shares the library: the sample's removal leaves it and the other's use
# of it; the other product's removal, from its own UninstallString, takes the count.
other=$WORK/other
mkdir -p "$other/src"
cp "$SAMPLE/files/system/snrt12.dll" "$other/src/"
echo tool >"$other/src/tool.txt"
printf '%s\r\n' 'F|snrt12.dll|?SYSTEM?\snrt12.dll' 'F|tool.txt|?APPDIR?\tool.txt' \
  'K|SZ|HKEY_CURRENT_USER|Software|Other Corp|Tool|Path|?APPDIR?' >"$other/script.txt"
wine "$BUILD_DIR/setup-pack.exe" build --uninstaller --name 'Other Tool' \
  --script "$(winpath "$other/script.txt")" --from "$(winpath "$other/src")" \
  --out "$(winpath "$other")" >/dev/null 2>&1
run_setup "$other" Other --unattended '--dir=C:\Other'
expect_eq 0 "$STATUS" "the other product's installation"
with_other=$(machine_snapshot)
install
expect_eq 'REG_DWORD 0x2' "$(reg_value "$shared_key" "$dll_win")" "the count of two products"
run_uninstall "$program" /S
expect_eq 0 "$STATUS" "removal beside the other product"
wait_for_removal "$app" "the installation directory beside the other product"
expect_eq 'REG_DWORD 0x1' "$(reg_value "$shared_key" "$dll_win")" "the other product's count"
expect_same_machine "$with_other" "the removal beside the other product"
other_command=$(reg_value 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Other Tool' \
  UninstallString)
expect_eq 'REG_SZ "C:\Other\Uninstall.exe"' "$other_command" "the other product's UninstallString"
run_uninstall 'C:\Other\Uninstall.exe' /S
expect_eq 0 "$STATUS" "the other product's removal"
expect_contains "$ERR" "$dll_win" "the unused library kept unattended is listed"
wait_for_removal "$DRIVE_C/Other" "the other product's directory"
expect_eq "" "$(reg_value "$shared_key" "$dll_win")" "the count after the last product"
rm "$dll"
expect_same_machine "$before" "after both products"

# Windows removes the uninstaller's temporary copies when it starts again; the logs stay.
pending=$(wine reg query "$pending_key" /v PendingFileRenameOperations 2>/dev/null | tr -d '\r' || true)
expect_contains "$pending" "Uninstall-" "the copy's removal is scheduled"
wineboot -r >/dev/null 2>&1
wineserver -w
expect_eq "UNINSTALL.LOG" "$(ls -A "$TEMP_DIR")" "the temporary folder after a restart"
# No temporary folder to copy the uninstaller to: it cannot go, and the final message says so
# rather than announcing a removal that never comes.
install
printf '%s\r\n' '@set TEMP=C:\no such folder' '@set TMP=C:\no such folder' \
  "@\"$program\" /S" '@exit %ERRORLEVEL%' >"$WORK/no-temp.bat"
run_program "$WORK" cmd /c "$(winpath "$WORK/no-temp.bat")"
expect_eq 4 "$STATUS" "exit status without a temporary folder"
expect_contains "$ERR" " $app_win\\Uninstall.exe " \
  "the uninstaller that cannot go is listed"
sleep 1
expect_eq "Uninstall.exe" "$(ls -A "$app")" "what stays without a temporary folder"
cmp -s "$WORK/Uninstall.exe" "$app/Uninstall.exe" || fail "the uninstaller that stayed changed"
rm -r "$app" "$dll"
expect_same_machine "$before" "after the removal without a temporary folder"
echo "$NAME: ok"
