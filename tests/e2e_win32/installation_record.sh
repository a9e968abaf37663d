# The installation record with the real Setup.exe and Uninstall.exe: 1.0 installed beside another
# product that shares its library, upgraded to 2.0 (a file dropped, one added, the library
# newer), a file edited and one added by the user; a changed record is refused; the removal with
# --remove-shared leaves the machine as before but for the user's two files, both listed, and
# the other product's count; a relative destination is removed where it was written.
source "$(dirname "$0")/support.bash"
source "$SOURCE_DIR/tests/e2e/worked_example.bash"

find_temp_dir
app="$DRIVE_C/Chain"
dll="$DRIVE_C/windows/system32/chainrt.dll"
dll_win='C:\windows\system32\chainrt.dll'
shared_key='HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs'
dll_source=$SOURCE_DIR/examples/sample/files/system/snrt12.dll

build() {  # folder name uninstaller?
  wine "$BUILD_DIR/setup-pack.exe" build ${3:+--uninstaller --name "$2"} \
    --script "$(winpath "$1/script.txt")" --from "$(winpath "$1/src")" \
    --out "$(winpath "$1")" >/dev/null 2>&1
  [ -f "$1/Setup.exe" ] || fail "setup-pack.exe made no distribution of $2"
}
make_version() {  # version minor
  local dir=$WORK/chain-$1
  mkdir -p "$dir/src/lib" "$dir/src/system"
  {
    echo 'X|C:\Chain'
    echo 'F|app.exe|?APPDIR?\app.exe'
    echo 'F|readme.txt|?APPDIR?\readme.txt'
    if [ "$1" = 1.0 ]; then echo 'F|old.txt|?APPDIR?\Docs\old.txt'; else echo 'F|new.txt|?APPDIR?\Docs\new.txt'; fi
    echo 'F|lib\private.dll|?APPDIR?\Lib\private.dll'
    echo 'F|system\chainrt.dll|?SYSTEM?\chainrt.dll'
    echo 'H|private'
    echo 'K|SZ|HKEY_CURRENT_USER|Software|Chain Corp|Chain|Version|'"$1"
    echo 'L|?STARTMENU?\Chain\Chain.lnk|?APPDIR?\app.exe|Chain'
  } | sed 's/$/\r/' >"$dir/script.txt"
  echo "chain $1" >"$dir/src/app.exe"
  echo "Chain $1" >"$dir/src/readme.txt"
  echo old >"$dir/src/old.txt"
  echo new >"$dir/src/new.txt"
  library_version "$dll_source" "$dir/src/lib/private.dll" 1 "$2"
  library_version "$dll_source" "$dir/src/system/chainrt.dll" 1 "$2"
  build "$dir" Chain yes
}
make_version 1.0 0
make_version 2.0 1

other=$WORK/other
mkdir -p "$other/src/system"
cp "$WORK/chain-1.0/src/system/chainrt.dll" "$other/src/system/"
echo tool >"$other/src/tool.txt"
printf '%s\r\n' 'F|system\chainrt.dll|?SYSTEM?\chainrt.dll' 'F|tool.txt|?APPDIR?\tool.txt' \
  >"$other/script.txt"
build "$other" Other
run_setup "$other" Other --unattended '--dir=C:\Other'
expect_eq 0 "$STATUS" "the other product installs"
before=$(machine_snapshot)

for version in 1.0 2.0; do
  run_setup "$WORK/chain-$version" Chain --unattended
  expect_eq 0 "$STATUS" "Chain $version installs [$ERR]"
done
expect_eq 'REG_DWORD 0x3' "$(reg_value "$shared_key" "$dll_win")" "the count of three installations"
cmp -s "$dll" "$WORK/chain-2.0/src/system/chainrt.dll" || fail "the newer library is not in place"
[ -f "$app/Docs/old.txt" ] || fail "1.0's file is not in place"
expect_lacks "$(cat "$app/SETUP.LOG")" "private" "the hidden name stays out of the log"
echo "my edit" >>"$app/readme.txt"
echo "mine" >"$app/Docs/user.txt"

# A changed record is refused: nothing is touched.
cp "$app/uninstall.rec" "$WORK/record"
printf 'file\t4\t%064d\tC:\\Other\\tool.txt\n' 0 >>"$app/uninstall.rec"
run_program "$WORK" 'C:\Chain\Uninstall.exe' /S --remove-shared
expect_eq 1 "$STATUS" "a changed record"
expect_contains "$ERR" "The installation record cannot be trusted" "the refusal"
[ -f "$DRIVE_C/Other/tool.txt" ] || fail "a changed record removed another product's file"
[ -f "$app/app.exe" ] || fail "a changed record removed something"
cp "$WORK/record" "$app/uninstall.rec"

run_program "$WORK" 'C:\Chain\Uninstall.exe' /S --remove-shared
expect_eq 0 "$STATUS" "the removal [$ERR]"
wineserver -w
expect_contains "$ERR" 'C:\Chain\readme.txt (changed since it was installed)' "the edited file is listed"
expect_contains "$ERR" 'C:\Chain\Docs\user.txt (not installed by this product)' "the user's file is listed"
expect_lacks "$ERR" "could not be removed" "nothing failed"
expect_eq 'REG_DWORD 0x1' "$(reg_value "$shared_key" "$dll_win")" "the other product's count"
[ -f "$dll" ] || fail "the shared library went"
expect_eq "readme.txt" "$(ls -A "$app" | grep -v Docs)" "what stays in the installation directory"
rm -r "$app"
now=$(machine_snapshot)
[ "$before" == "$now" ] || fail "the machine changed: $(diff <(echo "$before") <(echo "$now") | head -20)"
# A relative destination lands in the installer's current directory: the removal takes that
# very file, never one of that name in the uninstaller's current directory.
rel=$WORK/relative
mkdir -p "$rel/src"
echo ours >"$rel/src/a.txt"
printf '%s\r\n' 'F|a.txt|notes.txt' >"$rel/script.txt"
build "$rel" Rel yes
run_setup "$rel" Rel --unattended '--dir=C:\Rel'
expect_eq 0 "$STATUS" "the relative destination installs"
expect_eq ours "$(cat "$rel/notes.txt")" "the file beside the installer"
mkdir -p "$WORK/user"
echo "the user's notes" >"$WORK/user/notes.txt"
run_program "$WORK/user" 'C:\Rel\Uninstall.exe' /S
expect_eq 0 "$STATUS" "the relative destination's removal [$ERR]"
wineserver -w
expect_eq "the user's notes" "$(cat "$WORK/user/notes.txt")" "the user's notes survive"
[ ! -e "$DRIVE_C/Rel" ] || fail "the installation directory stayed"
[ ! -e "$rel/notes.txt" ] || fail "the file the installer wrote stayed"

# A removal killed once the product's key had gone leaves its last step's mark beside the
# uninstaller and the script copy: a rerun finishes those, the uninstaller and its folder too.
run_setup "$rel" Rel --unattended '--dir=C:\Rel'
expect_eq 0 "$STATUS" "the relative destination installs again"
rm "$DRIVE_C/Rel/uninstall.rec" "$DRIVE_C/Rel/SETUP.LOG" "$rel/notes.txt"
: >"$DRIVE_C/Rel/uninstall.~end"
wine reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Rel' /f >/dev/null 2>&1 ||
  fail "reg delete"
run_program "$WORK" 'C:\Rel\Uninstall.exe' /S
expect_eq 0 "$STATUS" "the rerun of a removal killed in its last step [$ERR]"
expect_contains "$ERR" "was removed from this computer" "the rerun's message"
wait_for_removal "$DRIVE_C/Rel" "the folder of a removal killed in its last step"
echo "installation_record: ok"
