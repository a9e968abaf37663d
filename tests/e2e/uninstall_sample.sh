# The generic uninstaller on the sample product: built with --uninstaller, installed beside a
# second product that shares the library, then removed: the machine is as before but for the
# user's own file; the other product keeps the library and its count; the other product is then
# removed through the UninstallString the system's list holds; a directory typed with another
# letter case and a trailing backslash lowers the count of the very value the installer raised.
source "$(dirname "$0")/support.bash"
UNINSTALL_DIST=$WORK/sample
machine=$WORK/machine
"$PACK" build --uninstaller --name 'Sample Notes' --script "$SAMPLE/setup.txt" \
  --from "$SAMPLE/files" --out "$UNINSTALL_DIST" --welcome "$SAMPLE/welcome.txt" \
  --terms "$SAMPLE/terms.txt" >/dev/null
[ -f "$UNINSTALL_DIST/uninstall-program.cmp" ] || fail "no uninstaller in the distribution"

# The second product: only the shared library, with the uninstaller.
other=$WORK/other
mkdir -p "$other/src"
cp "$SAMPLE/files/system/snrt12.dll" "$other/src/"
printf '%s\r\n' 'F|snrt12.dll|?SYSTEM?\snrt12.dll' 'F|tool.txt|?APPDIR?\tool.txt' \
  'K|SZ|HKEY_CURRENT_USER|Software|Other Corp|Tool|Path|?APPDIR?' >"$other/script.txt"
echo tool >"$other/src/tool.txt"
"$PACK" build --uninstaller --name 'Other Tool' --script "$other/script.txt" --from "$other/src" \
  --out "$other" >/dev/null

# Everything of the machine but the uninstaller's own log, the registry file as lines.
snapshot() {
  (cd "$machine" && find . -path ./drive_c/Windows/Temp -prune -o -print | grep -v 'setup.lock' |
    sort && tr -d '\r' <registry.reg)
}
uninstall_in() {  # installation-directory(native) options...
  local dir=$1
  shift
  chmod +x "$dir/uninstall"  # the machine folder keeps no execute permission of its own
  run_in "$dir" "$dir/uninstall" --machine="$machine" "$@"
}
dll_count() { reg_value "$machine" 'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\SharedDLLs' "$1"; }

run_in "$other" ./setup Other --unattended --machine="$machine" '--dir=C:\Other'
expect_eq 0 "$STATUS" "the other product installs"
before=$(snapshot)

run_in "$UNINSTALL_DIST" ./setup Sample --unattended --machine="$machine"
expect_eq 0 "$STATUS" "the sample installs"
app="$machine/drive_c/Program Files/Sample Notes"
expect_eq 'dword:00000002' "$(dll_count 'C:\\Windows\\System32\\snrt12.dll')" "the count after two"
expect_eq '"C:\\Program Files\\Sample Notes"' \
  "$(reg_value "$machine" 'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sample Notes' InstallLocation)" \
  "InstallLocation"
echo "my own notes" >"$app/notes.txt"

# Asked in line mode, No changes nothing.
printf 'No\n' >"$WORK/no"
INPUT=$WORK/no uninstall_in "$app"
expect_eq 2 "$STATUS" "No ends with status 2"
expect_contains "$OUT" "Do you want to remove Sample Notes 1.2 and all of its components?" "the question"
[ -f "$app/SampleNotes.exe" ] || fail "No removed something"

uninstall_in "$app" --unattended
expect_eq 0 "$STATUS" "the removal's status"
expect_contains "$ERR" "Sample Notes 1.2 was removed from this computer. These stay:" "the final message"
expect_lacks "$ERR" "could not be removed" "nothing failed"
expect_contains "$ERR" 'C:\Program Files\Sample Notes\notes.txt (not installed by this product)' "the user's file is listed"
expect_contains "$ERR" 'snrt12.dll (still used by other programs)' "the library the other product counts"
expect_contains "$ERR" 'C:\Windows\Temp\UNINSTALL.LOG' "the log is named"
expect_eq "my own notes" "$(cat "$app/notes.txt")" "the user's file survives"
expect_eq 'dword:00000001' "$(dll_count 'C:\\Windows\\System32\\snrt12.dll')" "the other product's count"
rm "$app/notes.txt"
after=$(snapshot)
diff <(echo "$before") <(echo "$after") >"$WORK/diff" || true
# Only the emptied program folder may stay: the user's file kept it.
expect_eq "" "$(grep -v 'Program Files/Sample Notes$' "$WORK/diff" | grep '^[<>]' || true)" \
  "the machine after the removal"
log=$machine/drive_c/Windows/Temp/UNINSTALL.LOG
expect_timestamps "$log"
expect_lacks "$(cat "$log")" "snrt12" "the hidden name stays out of the log"

# The other product, through the system's list.
command=$(reg_value "$machine" 'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Other Tool' UninstallString)
expect_eq '"\"C:\\Other\\uninstall\""' "$command" "UninstallString"
native=$machine/drive_c/Other/uninstall
chmod +x "$native"
run_in "$WORK" "$native" --machine="$machine" --unattended
expect_eq 0 "$STATUS" "removal through UninstallString"
expect_contains "$ERR" 'C:\Windows\System32\snrt12.dll' "the unused library kept unattended is listed"
expect_eq "" "$(dll_count 'C:\\Windows\\System32\\snrt12.dll')" "the count at zero is deleted"
[ -f "$machine/drive_c/Windows/System32/snrt12.dll" ] || fail "unattended removed the library"
[ ! -e "$machine/drive_c/Other" ] || fail "the other product's directory stayed"
expect_eq "" "$(reg_value "$machine" 'HKEY_CURRENT_USER\Software\Other Corp\Tool' Path)" "its value"
expect_lacks "$(cat "$machine/registry.reg")" 'Other Corp' "its empty keys"
expect_lacks "$(cat "$machine/registry.reg")" 'Uninstall\Other Tool' "its uninstall key"
expect_contains "$(cat "$machine/registry.reg")" 'CurrentVersion\Uninstall]' "the Uninstall key stays"

# Typed in other letters with a trailing backslash: the installer's count names a doubled
# backslash, and the uninstaller lowers that one; --remove-shared takes the library.
run_in "$UNINSTALL_DIST" ./setup Sample --unattended --machine="$machine" '--dir=c:\PROGRAM FILES\sample notes\'
expect_eq 0 "$STATUS" "installed into a typed directory"
uninstall_in "$app" --unattended --remove-shared
expect_eq 0 "$STATUS" "removed from the typed directory"
expect_eq "" "$(dll_count 'C:\\Windows\\System32\\snrt12.dll')" "no count left"
[ ! -e "$machine/drive_c/Windows/System32/snrt12.dll" ] || fail "--remove-shared kept the library"
[ ! -e "$app" ] || fail "the installation directory stayed"

# A product whose files the user already deleted: what is left (registry, the uninstaller) goes.
run_in "$UNINSTALL_DIST" ./setup Sample --unattended --machine="$machine"
rm -rf "$app/Data" "$app/Help" "$app"/*.exe "$app"/readme.txt "$app/SETUP.LOG"
rm -rf "$machine/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Sample Notes"
uninstall_in "$app" --unattended
expect_eq 0 "$STATUS" "a product whose files are gone"
[ ! -e "$app" ] || fail "the rest of a product whose files were gone stayed"
expect_lacks "$(cat "$machine/registry.reg")" 'Uninstall\Sample Notes' "its uninstall key"
echo "uninstall_sample: ok"
