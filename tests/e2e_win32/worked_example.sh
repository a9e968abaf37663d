# The worked example of docs/script.md under Wine, exactly as the page prints it: version 2.1
# installed, upgraded to 2.2 with a newer copy of its hidden library in the system folder, then
# removed unattended with the generic uninstaller: nothing of it stays.
source "$(dirname "$0")/support.bash"
source "$SOURCE_DIR/tests/e2e/worked_example.bash"

make_worked_example "$WORK/product"
build_version() {  # version folder
  wine "$BUILD_DIR/setup-pack.exe" build --uninstaller --name 'Acme Draw' \
    --script "$(winpath "$WORK/product/setup-$1.txt")" \
    --from "$(winpath "$WORK/product/files-$1")" --out "$(winpath "$2")" >/dev/null 2>&1
  [ -f "$2/Setup.exe" ] || fail "setup-pack.exe made no distribution for $1"
}
build_version 2.1 "$WORK/dist-2.1"
build_version 2.2 "$WORK/dist-2.2"

find_temp_dir
app="$DRIVE_C/Program Files/Acme Draw"
dll="$DRIVE_C/windows/system32/acmert21.dll"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Acme Draw'
files() {
  (cd "$DRIVE_C" && find . \( -path "./$TEMP_RELATIVE" -o -path ./windows/temp \) -prune \
    -o -printf '%y %s %p\n' | sort)
}
before=$(files)

run_setup "$WORK/dist-2.1" Acme --unattended
expect_eq 0 "$STATUS" "2.1 installs: $ERR"
cmp -s "$dll" "$WORK/product/files-2.1/system/acmert21.dll" || fail "the 2.1 library is not installed"
[ -f "$app/Help/manual.txt" ] || fail "Help was not created"

run_setup "$WORK/dist-2.2" Acme --unattended
expect_eq 0 "$STATUS" "2.2 upgrades: $ERR"
cmp -s "$dll" "$WORK/product/files-2.2/system/acmert21.dll" || fail "the 2.2 library is not installed"
cmp -s "$app/Backup/acmert21.dll" "$WORK/product/files-2.1/system/acmert21.dll" ||
  fail "the 2.1 library is not in Backup"
expect_eq "2.2" "$(cat "$app/AcmeDraw.exe")" "the program after the upgrade"
expect_eq "REG_SZ Acme Draw 2.2" "$(reg_value "$uninstall_key" DisplayName)" "DisplayName"
expect_lacks "$(cat "$app/SETUP.LOG")" "acmert21" "the hidden name stays out of the log"

run_program "$WORK" "$app/Uninstall.exe" /S --remove-shared
expect_eq 0 "$STATUS" "the removal: $ERR"
wineserver -w
expect_eq "" "$(reg_value "$uninstall_key" DisplayName)" "the uninstall information"
# The record gives back both counts the two installations raised: the library, Backup and the
# folder go with --remove-shared.
diff <(echo "$before") <(files) >"$WORK/diff" || true
expect_eq "" "$(grep '^[<>]' "$WORK/diff" || true)" "the machine after the removal"
echo "worked_example: ok"
