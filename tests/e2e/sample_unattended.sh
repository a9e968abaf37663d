# The sample product installed unattended: files, registry, shortcuts, the log, a second run.
source "$(dirname "$0")/support.bash"

dist=$WORK/dist
machine=$WORK/machine
make_sample_dist "$dist"
run_in "$dist" ./setup Sample*Notes --unattended --machine="$machine"
expect_eq 0 "$STATUS" "exit status"
expect_eq ": Installation Successfully Completed. To start the program, just click Start, Programs and Sample Notes." "$ERR" "standard error"
expect_eq "" "$OUT" "standard output"

app="$machine/drive_c/Program Files/Sample Notes"
expect_sample_files "$app"
cmp -s "$SAMPLE/files/system/snrt12.dll" "$machine/drive_c/Windows/System32/snrt12.dll" ||
  fail "the shared library was not installed"

expect_eq '"C:\\Program Files\\Sample Notes"' \
  "$(reg_value "$machine" 'HKEY_LOCAL_MACHINE\Software\Sample Corp\Sample Notes\1.2' InstallDir)" "InstallDir"
expect_eq 'dword:00000001' \
  "$(reg_value "$machine" 'HKEY_CURRENT_USER\Software\Sample Corp\Sample Notes' ShowTips)" "ShowTips"
uninstall='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sample Notes'
expect_eq '"Sample Notes 1.2"' "$(reg_value "$machine" "$uninstall" DisplayName)" "DisplayName"
expect_eq "" "$(reg_value "$machine" "$uninstall" UninstallString)" \
  "UninstallString (only build --uninstaller adds one)"
shared='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\SharedDLLs'
expect_eq 'dword:00000001' "$(reg_value "$machine" "$shared" 'C:\\Windows\\System32\\snrt12.dll')" "SharedDLLs count"

programs="$machine/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Sample Notes"
info=$(lnkinfo "$programs/Sample Notes.lnk")
expect_contains "$info" 'C:\Program Files\Sample Notes\SampleNotes.exe' "application shortcut target"
expect_contains "$info" 'Write and organise your notes' "application shortcut description"
info=$(lnkinfo "$programs/Read Me.lnk")
expect_contains "$info" 'C:\Program Files\Sample Notes\readme.txt' "read-me shortcut target"

expect_timestamps "$app/SETUP.LOG"
diff -u "$EXPECTED/sample_unattended.log" <(masked_log "$app/SETUP.LOG") || fail "SETUP.LOG differs"

# Installed again over itself: the library is not newer, so it stays; its count goes up.
run_in "$dist" ./setup Sample*Notes --unattended --machine="$machine"
expect_eq 0 "$STATUS" "exit status of the second run"
expect_eq 'dword:00000002' "$(reg_value "$machine" "$shared" 'C:\\Windows\\System32\\snrt12.dll')" "SharedDLLs count after two runs"
expect_lacks "$(masked_log "$app/SETUP.LOG")" "snrt12" "hidden name in the log"

# Another directory with --dir.
run_in "$dist" ./setup Sample*Notes --unattended --machine="$machine" '--dir=C:\Tools\Notes'
expect_eq 0 "$STATUS" "exit status with --dir"
[ -f "$machine/drive_c/Tools/Notes/SampleNotes.exe" ] || fail "--dir did not choose the directory"
expect_contains "$(masked_log "$machine/drive_c/Tools/Notes/SETUP.LOG")" 'TIME Destination directory: C:\Tools\Notes' "--dir logged"
echo "sample_unattended: ok"
