# The installation record over a product's life: 1.0 installed beside another product that
# shares its library, upgraded to 2.0 (a file dropped, one added, the library newer), a file
# edited and one added by the user, then removed with --remove-shared: the machine is as before
# but for the user's two files, both listed; the other product keeps its count and its file.
# A record that was changed is refused, a script copy with lines of its own adds nothing, a
# relative destination is never resolved against the uninstaller's own directory, and links in
# place of installed entries are removed as links.
source "$(dirname "$0")/support.bash"
source "$SOURCE_DIR/tests/e2e/worked_example.bash"

machine=$WORK/machine
dll_source=$SOURCE_DIR/examples/sample/files/system/snrt12.dll
sharedlls='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\SharedDLLs'
count_of() { reg_value "$machine" "$sharedlls" 'C:\\Windows\\System32\\chainrt.dll'; }
snapshot() {
  (cd "$machine" && find . -path ./drive_c/Windows/Temp -prune -o -print | grep -v 'setup.lock' |
    sort && tr -d '\r' <registry.reg)
}

# Version V of the product: its script and files; 2.0 drops old.txt and adds new.txt.
make_version() {  # version minor
  local dir=$WORK/chain-$1
  mkdir -p "$dir/src/lib"
  {
    echo 'X|C:\Chain'
    echo 'F|app.exe|?APPDIR?\app.exe'
    echo 'F|readme.txt|?APPDIR?\readme.txt'
    if [ "$1" = 1.0 ]; then echo 'F|old.txt|?APPDIR?\Docs\old.txt'; else echo 'F|new.txt|?APPDIR?\Docs\new.txt'; fi
    echo 'F|lib\private.dll|?APPDIR?\Lib\private.dll'
    echo 'F|chainrt.dll|?SYSTEM?\chainrt.dll'
    echo 'H|private'
    echo 'K|SZ|HKEY_CURRENT_USER|Software|Chain Corp|Chain|Version|'"$1"
    echo 'L|?STARTMENU?\Chain\Chain.lnk|?APPDIR?\app.exe|Chain'
  } | sed 's/$/\r/' >"$dir/script.txt"
  printf '#!/bin/sh\necho chain %s\n' "$1" >"$dir/src/app.exe"
  echo "Chain $1" >"$dir/src/readme.txt"
  echo old >"$dir/src/old.txt"
  echo new >"$dir/src/new.txt"
  library_version "$dll_source" "$dir/src/lib/private.dll" 1 "$2"
  library_version "$dll_source" "$dir/src/chainrt.dll" 1 "$2"
  "$PACK" build --uninstaller --name Chain --script "$dir/script.txt" --from "$dir/src" \
    --out "$dir" >/dev/null 2>&1
}
make_version 1.0 0
make_version 2.0 1

# The other product: the same library, counted once.
other=$WORK/other
mkdir -p "$other/src"
cp "$WORK/chain-1.0/src/chainrt.dll" "$other/src/"
echo tool >"$other/src/tool.txt"
printf '%s\r\n' 'F|chainrt.dll|?SYSTEM?\chainrt.dll' 'F|tool.txt|?APPDIR?\tool.txt' >"$other/script.txt"
"$PACK" build --script "$other/script.txt" --from "$other/src" --out "$other" >/dev/null 2>&1
run_in "$other" ./setup Other --unattended --machine="$machine" '--dir=C:\Other'
expect_eq 0 "$STATUS" "the other product installs"
before=$(snapshot)

app=$machine/drive_c/Chain
for version in 1.0 2.0; do
  run_in "$WORK/chain-$version" ./setup Chain --unattended --machine="$machine"
  expect_eq 0 "$STATUS" "Chain $version installs [$ERR]"
done
expect_eq dword:00000003 "$(count_of)" "the count after three installations"
cmp -s "$app/Docs/old.txt" "$WORK/chain-1.0/src/old.txt" || fail "1.0's file is not in place"
cmp -s "$machine/drive_c/Windows/System32/chainrt.dll" "$WORK/chain-2.0/src/chainrt.dll" ||
  fail "the newer library is not in place"
[ -x "$app/uninstall" ] || fail "the uninstaller cannot be started"
[ -x "$app/app.exe" ] || fail "the installed script cannot be started"
[ ! -x "$app/readme.txt" ] || fail "a text file became executable"
record=$(cat "$app/uninstall.rec")
expect_contains "$record" 'C:\Chain\Docs\old.txt' "the record keeps 1.0's file"
expect_contains "$record" 'C:\Chain\Docs\new.txt' "the record has 2.0's file"
expect_contains "$record" "$(printf 'shared\t2\tC:\\Windows\\System32\\chainrt.dll')" \
  "the record counts both raises"
expect_lacks "$(cat "$app/SETUP.LOG")" "private" "the hidden name stays out of the log"

echo "my edit" >>"$app/readme.txt"
echo "mine" >"$app/Docs/user.txt"

# A changed record is refused: nothing is touched.
cp "$app/uninstall.rec" "$WORK/record"
printf 'file\t4\t%064d\tC:\\Other\\tool.txt\n' 0 >>"$app/uninstall.rec"
run_in "$app" "$app/uninstall" --machine="$machine" --unattended --remove-shared
expect_eq 1 "$STATUS" "a changed record"
expect_contains "$ERR" "The installation record cannot be trusted" "the refusal"
[ -f "$machine/drive_c/Other/tool.txt" ] || fail "a changed record removed another product's file"
[ -f "$app/app.exe" ] || fail "a changed record removed something"
cp "$WORK/record" "$app/uninstall.rec"

# A script copy with lines of its own (another product's file, the machine's TEMP) adds nothing
# to what is removed: only the record is acted on.
hostile=$WORK/hostile
mkdir -p "$hostile/src"
echo x >"$hostile/src/x.txt"
printf '%s\r\n' 'F|x.txt|C:\Other\tool.txt' 'F|x.txt|C:\Chain\app.exe' \
  'K|SZ|HKEY_CURRENT_USER|Environment|TEMP|x' >"$hostile/script.txt"
"$PACK" build --uninstaller --name Chain --script "$hostile/script.txt" --from "$hostile/src" \
  --out "$hostile" >/dev/null 2>&1
"$PACK" expand "$hostile/uninstall-script.cmp" "$app/uninstall.drc" >/dev/null
temp_before=$(reg_value "$machine" 'HKEY_CURRENT_USER\Environment' TEMP)

run_in "$app" "$app/uninstall" --machine="$machine" --unattended --remove-shared
expect_eq 0 "$STATUS" "the removal [$ERR]"
[ -f "$machine/drive_c/Other/tool.txt" ] || fail "the script copy's line removed another product's file"
expect_eq "$temp_before" "$(reg_value "$machine" 'HKEY_CURRENT_USER\Environment' TEMP)" "TEMP"
expect_contains "$ERR" 'C:\Chain\readme.txt (changed since it was installed)' "the edited file is listed"
expect_contains "$ERR" 'C:\Chain\Docs\user.txt (not installed by this product)' "the user's file is listed"
expect_lacks "$ERR" "could not be removed" "nothing failed"
expect_eq "Chain 2.0
my edit" "$(cat "$app/readme.txt")" "the edited file is kept"
expect_eq dword:00000001 "$(count_of)" "the other product's count"
[ -f "$machine/drive_c/Windows/System32/chainrt.dll" ] || fail "the shared library went"
rm "$app/readme.txt" "$app/Docs/user.txt"
diff <(echo "$before") <(snapshot) >"$WORK/diff" || true
expect_eq "" "$(grep '^[<>]' "$WORK/diff" | grep -v -e '/Chain$' -e '/Chain/Docs$' \
  -e 'CurrentVersion\\Uninstall]$' -e '^> $' || true)" \
  "the machine after the removal"

# A relative destination lands in the installer's current directory; the uninstaller, started
# elsewhere, never resolves it against its own and leaves the user's file of that name.
rel=$WORK/relative
mkdir -p "$rel/src"
echo ours >"$rel/src/a.txt"
printf '%s\r\n' 'F|a.txt|notes.txt' 'F|a.txt|C:\Rel\a.txt' >"$rel/script.txt"
"$PACK" build --uninstaller --name Rel --script "$rel/script.txt" --from "$rel/src" \
  --out "$rel" >/dev/null 2>&1
run_in "$rel" ./setup Rel --unattended --machine="$machine" '--dir=C:\Rel'
expect_eq 0 "$STATUS" "the relative destination installs"
echo "the user's notes" >"$machine/drive_c/Rel/notes.txt"
echo "changed" >>"$machine/drive_c/Rel/a.txt"  # goes with --remove-changed
run_in "$machine/drive_c/Rel" ./uninstall --machine="$machine" --unattended --remove-changed
expect_eq 0 "$STATUS" "the relative destination's removal [$ERR]"
expect_eq "the user's notes" "$(cat "$machine/drive_c/Rel/notes.txt")" "the user's notes survive"
[ ! -e "$machine/drive_c/Rel/a.txt" ] || fail "the recorded file stayed"
# Links the user put in place of an installed folder and an installed file are removed as
# links; what they point at stays.
links=$WORK/links
mkdir -p "$links/src"
echo a >"$links/src/a.txt"
echo b >"$links/src/b.txt"
echo c >"$links/src/c.txt"
printf '%s\r\n' 'F|a.txt|?APPDIR?\Sub\a.txt' 'F|b.txt|?APPDIR?\b.txt' 'F|c.txt|?APPDIR?\Out\c.txt' \
  >"$links/script.txt"
"$PACK" build --uninstaller --name Links --script "$links/script.txt" --from "$links/src" \
  --out "$links" >/dev/null 2>&1
run_in "$links" ./setup Links --unattended --machine="$machine" '--dir=C:\Links'
expect_eq 0 "$STATUS" "the linked product installs"
elsewhere=$machine/drive_c/Elsewhere
mkdir -p "$elsewhere"
mv "$machine/drive_c/Links/Sub" "$elsewhere/Sub"
ln -s "$elsewhere/Sub" "$machine/drive_c/Links/Sub"
# The file's link and a folder's lead out of the machine folder.
cp "$links/src/b.txt" "$WORK/b.txt"
rm "$machine/drive_c/Links/b.txt"
ln -s "$WORK/b.txt" "$machine/drive_c/Links/b.txt"
mv "$machine/drive_c/Links/Out" "$WORK/Out"
ln -s "$WORK/Out" "$machine/drive_c/Links/Out"
run_in "$machine/drive_c/Links" ./uninstall --machine="$machine" --unattended
expect_eq 0 "$STATUS" "the removal through links [$ERR]"
[ -f "$elsewhere/Sub/a.txt" ] || fail "a file behind a folder link was removed"
[ -f "$WORK/b.txt" ] || fail "the target of a file link was removed"
[ -f "$WORK/Out/c.txt" ] || fail "a file behind a folder link leading out was removed"
expect_contains "$ERR" 'C:\Links\Out\c.txt (below a link, not followed)' "the file behind the link"
expect_contains "$ERR" 'C:\Links\Sub\a.txt (below a link, not followed)' "the file behind a link inside"
[ ! -e "$machine/drive_c/Links" ] && [ ! -L "$machine/drive_c/Links/Sub" ] ||
  fail "the links or the folder stayed: $(ls -la "$machine/drive_c/Links" 2>&1)"
echo "installation_record: ok"
