# The sample product installed through the real dialogs: every page checked and
# photographed, Back from the directory page, Esc during the installation; then the files,
# the Wine registry, the shortcuts and SETUP.LOG; then an unattended run over it.
source "$(dirname "$0")/support.bash"

dist=$WORK/dist
make_sample_dist "$dist"

drive "$dist" 'Sample*Notes' <<EOF_SCRIPT
# The welcome page: the only one with a system menu; all four show in the task bar.
window|Sample Notes Setup|1004
style|80000|80000
exstyle|40000|40000
contains|1004|Welcome to Sample Notes 1.2.\r\n\r\nThis program installs Sample Notes
screenshot|$SHOTS_WIN\\sample-1-welcome.png
press|1
gone
window|Terms and Conditions|1000
style|80000|0
exstyle|40000|40000
contains|1000|SAMPLE NOTES - TERMS AND CONDITIONS\r\n
screenshot|$SHOTS_WIN\\sample-2-terms.png
press|1
gone
# The directory page proposes the script's directory; Back forgets what was typed.
window|Sample Notes Setup|1001
style|80000|0
text|1001|C:\\Program Files\\Sample Notes
screenshot|$SHOTS_WIN\\sample-3-directory.png
settext|1001|C:\\Elsewhere
press|2
gone
$(accept_sample_terms_and_directory)
# The installation page: seven files, so the bar runs from 0 to 6; Esc does nothing. Seven small
# files take a fraction of a second: the page is held while it is photographed and given Esc.
window|Installation|1002
style|80000|0
progress|1003|0|6
hold
screenshot|$SHOTS_WIN\\sample-4-installation.png
key|esc
release
window|
message|Installation Successfully Completed.\nTo start the program, just click\nStart, Programs and Sample Notes.
owner|-
screenshot|$SHOTS_WIN\\sample-5-success.png
press|1
gone
EOF_SCRIPT
expect_eq 0 "$STATUS" "exit status"
expect_eq "" "$ERR" "standard error"
for shot in 1-welcome 2-terms 3-directory 4-installation 5-success; do
  expect_png "$SHOTS/sample-$shot.png"
done

app="$DRIVE_C/Program Files/Sample Notes"
expect_sample_files "$app"
dll='C:\windows\system32\snrt12.dll'
cmp -s "$SAMPLE/files/system/snrt12.dll" "$DRIVE_C/windows/system32/snrt12.dll" ||
  fail "the shared library was not installed"
[ ! -e "$DRIVE_C/Elsewhere" ] || fail "the directory typed before Back was used"

product='HKLM\Software\Sample Corp\Sample Notes\1.2'
expect_eq 'REG_SZ C:\Program Files\Sample Notes' "$(reg_value "$product" InstallDir)" "InstallDir"
expect_eq 'REG_SZ 1.2.0' "$(reg_value "$product" Version)" "Version"
expect_eq 'REG_DWORD 0x1' "$(reg_value 'HKCU\Software\Sample Corp\Sample Notes' ShowTips)" "ShowTips"
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sample Notes'
expect_eq 'REG_SZ Sample Notes 1.2' "$(reg_value "$uninstall" DisplayName)" "DisplayName"
expect_eq 'REG_DWORD 0x1' "$(reg_value "$uninstall" NoModify)" "NoModify"
shared='HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs'
expect_eq 'REG_DWORD 0x1' "$(reg_value "$shared" "$dll")" "SharedDLLs count"

expect_eq 'C:\Program Files\Sample Notes\SampleNotes.exe|Write and organise your notes' \
  "$(link_info "$PROGRAMS/Sample Notes/Sample Notes.lnk")" "application shortcut"
expect_eq 'C:\Program Files\Sample Notes\readme.txt|Sample Notes release notes' \
  "$(link_info "$PROGRAMS/Sample Notes/Read Me.lnk")" "read-me shortcut"

expect_timestamps "$app/SETUP.LOG"
diff -u "$EXPECTED/sample_wizard.log" <(masked_log "$app/SETUP.LOG") || fail "SETUP.LOG differs"

# Again, unattended, over the installed product: the library is not newer, so it stays and
# only its count goes up; the final box goes to standard error.
run_setup "$dist" 'Sample*Notes' --unattended
expect_eq 0 "$STATUS" "exit status of the unattended run"
expect_eq ': Installation Successfully Completed. To start the program, just click Start, Programs and Sample Notes.' \
  "$ERR" "standard error of the unattended run"
expect_eq 'REG_DWORD 0x2' "$(reg_value "$shared" "$dll")" "SharedDLLs count after two runs"
cmp -s "$SAMPLE/files/system/snrt12.dll" "$DRIVE_C/windows/system32/snrt12.dll" ||
  fail "the shared library changed"
[ ! -e "$app/Backup" ] || fail "a library of the same version was backed up"
echo "$NAME: ok"
