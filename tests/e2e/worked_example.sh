# The worked example of docs/script.md, exactly as the page prints it: version 2.1 installed,
# upgraded to 2.2 with a newer copy of its hidden library, then removed; the machine is clean.
source "$(dirname "$0")/support.bash"
source "$SOURCE_DIR/tests/e2e/worked_example.bash"

machine=$WORK/machine
make_worked_example "$WORK/product"
build_version() {  # version folder
  "$PACK" build --uninstaller --name 'Acme Draw' --script "$WORK/product/setup-$1.txt" \
    --from "$WORK/product/files-$1" --out "$2" >/dev/null
}
run_in "$WORK/product" "$PACK" check setup-2.1.txt --from files-2.1
expect_eq "setup-2.1.txt: 0 errors, 0 warnings" "$OUT" "the worked example checks clean"
build_version 2.1 "$WORK/dist-2.1"
build_version 2.2 "$WORK/dist-2.2"

snapshot() {
  (cd "$machine" && find . -path ./drive_c/Windows/Temp -prune -o -print | grep -v 'setup.lock' |
    sort && tr -d '\r' <registry.reg)
}
app="$machine/drive_c/Program Files/Acme Draw"
dll=$machine/drive_c/Windows/System32/acmert21.dll

# Another product first makes the machine folder the removal must give back.
make_dist "$WORK/base" 'F|base.txt|?APPDIR?\base.txt'
run_in "$WORK/base" ./setup Base --unattended --machine="$machine" '--dir=C:\Base'
expect_eq 0 "$STATUS" "the other product installs"
before=$(snapshot)
run_in "$WORK/dist-2.1" ./setup Acme --unattended --machine="$machine"
expect_eq 0 "$STATUS" "2.1 installs: $ERR"
cmp -s "$dll" "$WORK/product/files-2.1/system/acmert21.dll" || fail "the 2.1 library is not installed"
[ -f "$app/Help/manual.txt" ] || fail "Help was not created"

run_in "$WORK/dist-2.2" ./setup Acme --unattended --machine="$machine"
expect_eq 0 "$STATUS" "2.2 upgrades: $ERR"
cmp -s "$dll" "$WORK/product/files-2.2/system/acmert21.dll" || fail "the 2.2 library is not installed"
cmp -s "$app/Backup/acmert21.dll" "$WORK/product/files-2.1/system/acmert21.dll" ||
  fail "the 2.1 library is not in Backup"
expect_eq "2.2" "$(cat "$app/AcmeDraw.exe")" "the program after the upgrade"
expect_contains "$(reg_value "$machine" 'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Acme Draw' DisplayName)" \
  "Acme Draw 2.2" "the registry after the upgrade"
expect_lacks "$(cat "$app/SETUP.LOG")" "acmert21" "the hidden name stays out of the log"
expect_contains "$(cat "$app/SETUP.LOG")" "Some dlls were upgraded" "the upgrade is logged"

chmod +x "$app/uninstall"
run_in "$app" "$app/uninstall" --machine="$machine" --unattended --remove-shared
expect_eq 0 "$STATUS" "the removal: $ERR"
expect_eq "" "$(reg_value "$machine" 'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Acme Draw' DisplayName)" \
  "the uninstall information"
# The record gives back both counts the two installations raised: the library, Backup and the
# folder go with --remove-shared; only the keys emptied above them stay.
diff <(echo "$before") <(snapshot) >"$WORK/diff" || true
expect_eq "" "$(grep '^[<>]' "$WORK/diff" | \
  grep -v -e 'CurrentVersion\\SharedDLLs]$' -e 'CurrentVersion\\Uninstall]$' -e '^> $' || true)" \
  "the machine after the removal"
echo "worked_example: ok"
