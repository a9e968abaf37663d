# A fleet tool's installation and removal, as winget or Intune make them: the one-file installer
# started from another folder with the silent switches, the directory and a copy of the log where
# the tool wants them; the uninstall key holds what the tool reads (the silent command, the size,
# the icon, version and publisher); then the product removed by its QuietUninstallString, run as
# it stands: nothing left.
source "$(dirname "$0")/support.bash"

dist=$WORK/dist
wine "$BUILD_DIR/setup-pack.exe" build --uninstaller --name 'Sample Notes' --publisher Ignored \
  --script "$(winpath "$SAMPLE/setup.txt")" --from "$(winpath "$SAMPLE/files")" \
  --out "$(winpath "$dist")" --welcome "$(winpath "$SAMPLE/welcome.txt")" \
  --terms "$(winpath "$SAMPLE/terms.txt")" >/dev/null
bundle=$WORK/AcmeSetup.exe
wine "$BUILD_DIR/setup-pack.exe" bundle "$(winpath "$dist")" --out "$(winpath "$bundle")" \
  --name 'Sample Notes' >/dev/null
[ -f "$bundle" ] || fail "setup-pack.exe bundle made nothing"

mkdir -p "$WORK/elsewhere"
run_program "$WORK/elsewhere" "$bundle" /VERYSILENT '/DIR="C:\Apps\Acme"' '/LOG="C:\logs\acme.log"'
expect_eq 0 "$STATUS" "exit status of the silent installation: $ERR"
app=$DRIVE_C/Apps/Acme
[ -f "$app/SETUP.LOG" ] || fail "nothing installed in C:\\Apps\\Acme"
cmp -s "$app/SETUP.LOG" "$DRIVE_C/logs/acme.log" || fail "no copy of the log in C:\\logs"

key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sample Notes'
expect_eq 'REG_SZ "C:\Apps\Acme\Uninstall.exe" /S' "$(reg_value "$key" QuietUninstallString)" \
  "QuietUninstallString"
expect_eq 'REG_SZ C:\Apps\Acme\SampleNotes.exe' "$(reg_value "$key" DisplayIcon)" "DisplayIcon"
expect_eq 'REG_SZ Sample Corp' "$(reg_value "$key" Publisher)" "the script's own Publisher wins"
size=$(reg_value "$key" EstimatedSize)
[[ $size == "REG_DWORD 0x"* ]] || fail "EstimatedSize is no number: $size"
installed_kib=$(du -sk --apparent-size "$app" | cut -f1)
kib=$((${size#REG_DWORD }))
[ $((kib - installed_kib)) -le 64 ] && [ $((installed_kib - kib)) -le 64 ] ||
  fail "EstimatedSize $kib KiB for $installed_kib KiB installed"
command=$(reg_value "$key" QuietUninstallString)
command=${command#REG_SZ }
# The command as a fleet tool runs it: the quoted program, then its switches.
program=${command#\"}
program=${program%%\"*}
switches=${command:${#program}+2}
# shellcheck disable=SC2086
run_program "$WORK/elsewhere" "$program" $switches
expect_eq 0 "$STATUS" "exit status of the silent removal: $ERR"
for tries in $(seq 100); do [ -e "$app/SampleNotes.exe" ] || break; sleep 0.1; done
[ ! -e "$app/SampleNotes.exe" ] || fail "the product is still installed"
! reg_key_exists "$key" || fail "the uninstall key is still there"
echo "fleet_install: ok"
