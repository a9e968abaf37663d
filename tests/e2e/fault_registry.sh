# A corrupt and an unwritable registry.reg: the installer says which file is wrong and leaves it
# exactly as it was; once the file is mended or writable again, the same run completes.
source "$(dirname "$0")/support.bash"

dist=$WORK/dist
machine=$WORK/machine
make_dist "$dist" 'F|a.txt|?APPDIR?\a.txt' 'F|lib.dll|?SYSTEM?\faultlib.dll' \
  'K|SZ|HKEY_CURRENT_USER|Software|Fault|Done|yes'
run_setup() { run_in "$dist" ./setup Fault --unattended --machine="$machine" "--dir=${1:-C:\Fault}"; }
run_setup
expect_eq 0 "$STATUS" "exit status of the first run"
registry=$machine/registry.reg
good=$WORK/registry.good
cp "$registry" "$good"

# Corrupt: the installer does not start, names the file and line, and writes nothing.
for damage in '[HKEY_NOWHERE\Software]' '"dangling"="no key above"' '[HKEY_CURRENT_USER\Unclosed' \
  '"Count"=dword:xyz'; do
  { tr -d '\r' <"$good" | head -2; printf '%s\r\n' "$damage"; tr -d '\r' <"$good" | tail -n +3; } >"$registry"
  cp "$registry" "$WORK/registry.bad"
  rm -rf "$machine/drive_c/Fault"
  run_setup
  expect_eq 1 "$STATUS" "exit status with a corrupt registry ($damage)"
  expect_contains "$ERR" "$registry:" "the corrupt file is named ($damage)"
  cmp -s "$WORK/registry.bad" "$registry" || fail "the corrupt registry.reg was changed ($damage)"
  [ ! -e "$machine/drive_c/Fault" ] || fail "installed on a corrupt registry ($damage)"
done

# Unwritable: a product with a new value; its write fails and is told, the file keeps every
# byte. (A failed raise of the library's count is not told: its result is not examined.)
cp "$good" "$registry"
chmod a-w "$registry"
dist=$WORK/dist2
make_dist "$dist" 'F|a.txt|?APPDIR?\a.txt' 'F|lib.dll|?SYSTEM?\faultlib.dll' \
  'K|SZ|HKEY_CURRENT_USER|Software|Fault|Second|yes'
run_setup
expect_contains "$ERR" 'Uninstall information could not successfully' "the failed value is told"
cmp -s "$good" "$registry" || fail "the read-only registry.reg was changed"
count_key='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\SharedDLLs'

# Writable again: the run completes and the library's count goes up from where it was. (In
# another directory: the first directory's Backup already holds the library's older copy.)
chmod u+w "$registry"
run_setup 'C:\Again'
expect_eq 0 "$STATUS" "exit status once the registry is writable"
expect_eq 'dword:00000002' "$(reg_value "$machine" "$count_key" 'C:\\Windows\\System32\\faultlib.dll')" "SharedDLLs count"
expect_eq '"yes"' "$(reg_value "$machine" 'HKEY_CURRENT_USER\Software\Fault' Second)" "registry value"
echo "fault_registry: ok"
