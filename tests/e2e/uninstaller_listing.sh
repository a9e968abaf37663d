# build --uninstaller lists the product as fleet tools and the system's list read it (the silent
# command, the size, the icon, --version and --publisher) without overriding the script's own
# values, and refuses a script whose uninstall command would start another program.
source "$(dirname "$0")/support.bash"

cd "$WORK"
key='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall'
"$PACK" build --uninstaller --name 'Sample Notes' --version 9.9 --publisher Other \
  --script "$SAMPLE/setup.txt" --from "$SAMPLE/files" --out sample >/dev/null 2>&1
run_in "$WORK/sample" ./setup 'Sample*Notes' --unattended --machine="$WORK/m1"
expect_eq 0 "$STATUS" "installation of the sample: $ERR"
app="$WORK/m1/drive_c/Program Files/Sample Notes"
value() { reg_value "$WORK/m1" "$key\\Sample Notes" "$1"; }
expect_eq '"\"C:\\Program Files\\Sample Notes\\uninstall\" /S"' "$(value QuietUninstallString)" "QuietUninstallString"
expect_eq '"C:\\Program Files\\Sample Notes\\SampleNotes.exe"' "$(value DisplayIcon)" "DisplayIcon: the first shortcut's program"
expect_eq '"1.2.0" "Sample Corp"' "$(value DisplayVersion) $(value Publisher)" "the script's own values win"
size=$(value EstimatedSize)
kib=$((16#${size#dword:})) installed=$(du -sk --apparent-size "$app" | cut -f1)
[ $((kib - installed)) -le 64 ] && [ $((installed - kib)) -le 64 ] ||
  fail "EstimatedSize '$size' for $installed KiB installed"
# The removal a fleet tool starts: QuietUninstallString as it stands.
chmod +x "$app/uninstall"
run_in "$WORK" "$app/uninstall" /S --machine="$WORK/m1"
expect_eq 0 "$STATUS" "the quiet removal: $ERR"
[ ! -e "$app/SampleNotes.exe" ] || fail "the sample stayed"

# A script that lists little itself: --version and --publisher, the uninstaller as the icon;
# its own UninstallString, naming the uninstaller, is fine.
mkdir -p src && echo data >src/data.txt
base=('X|C:\Acme' 'F|data.txt|?APPDIR?\data.txt')
uninstall_line() { echo "K|SZ|HKEY_LOCAL_MACHINE|Software|Microsoft|Windows|CurrentVersion|Uninstall|ACME|$1|$2"; }
printf '%s\r\n' "${base[@]}" "$(uninstall_line UninstallString '"?APPDIR?\uninstall"')" >plain.txt
"$PACK" build --uninstaller --name Acme --version 2.0 --publisher 'Acme Corp' --script plain.txt \
  --from src --out plain >/dev/null 2>&1
run_in "$WORK/plain" ./setup Acme --unattended --machine="$WORK/m2"
expect_eq '"2.0" "Acme Corp" "C:\\Acme\\uninstall"' "$(for v in DisplayVersion Publisher DisplayIcon; do
  reg_value "$WORK/m2" "$key\\ACME" $v; done | tr '\n' ' ' | sed 's/ $//')" "values from the options"
expect_eq '"\"C:\\Acme\\uninstall\""' "$(reg_value "$WORK/m2" "$key\\ACME" UninstallString)" \
  "the script's own UninstallString, as written"

# An uninstall command of the script's own that names another program stops the build.
for name in UninstallString QuietUninstallString; do
  printf '%s\r\n' "${base[@]}" "$(uninstall_line $name '"?APPDIR?\Stand-in.exe" /x')" >foreign.txt
  run_in "$WORK" "$PACK" build --uninstaller --name Acme --script foreign.txt --from src --out foreign
  column=$(($(uninstall_line $name '' | wc -c)))  # the value's, counted from 1
  expect_eq 1 "$STATUS" "exit status with a foreign $name"
  expect_contains "$ERR" "foreign.txt:3:$column: error: $name names '?APPDIR?\\Stand-in.exe', not the uninstaller" "$name refused"
  expect_contains "$ERR" "hint: remove the line; build --uninstaller writes $name itself" "$name hint"
  [ ! -e foreign ] || fail "a refused build wrote its folder"
done
echo "uninstaller_listing: ok"
