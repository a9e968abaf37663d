# A fleet tool's installation and removal, as winget or Intune make them: the one-file installer
# started from another folder with the silent switches, the directory and a copy of the log where
# the tool wants them; then the product removed by the command its uninstall key holds
# (QuietUninstallString, else UninstallString with the silent switch), silently: nothing left.
source "$(dirname "$0")/support.bash"

dist=$WORK/dist
wine "$BUILD_DIR/setup-pack.exe" build --uninstaller --name 'Sample Notes' \
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
command=$(reg_value "$key" QuietUninstallString)
if [ -z "$command" ]; then
  echo "note: no QuietUninstallString; UninstallString with /S instead" >&2
  command="$(reg_value "$key" UninstallString) /S"
fi
command=${command#REG_SZ }
[ -n "$command" ] || fail "the uninstall key holds no command"
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
