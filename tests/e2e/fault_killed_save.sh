# An installer killed while it saves a large registry.reg (every step that raises a shared
# library's count saves the whole file): the file is always whole and keeps every value it held,
# and the run started again completes.
source "$(dirname "$0")/support.bash"

dist=$WORK/dist
machine=$WORK/machine
lines=()
for i in $(seq 1 12); do lines+=("F|lib$i.dll|?SYSTEM?\\shared$i.dll"); done
for i in $(seq 1 20); do lines+=("K|SZ|HKEY_CURRENT_USER|Software|KilledSave|v$i|value $i"); done
make_dist "$dist" "${lines[@]}"

# A machine folder as first use leaves it, then 50,000 values in one key.
run_in "$WORK" "$dist/setup" --machine="$machine" --unattended
{
  printf '[HKEY_LOCAL_MACHINE\\Software\\Bulk]\r\n'
  seq 1 50000 | awk '{ printf "\"Setting%d\"=\"stored value number %d\"\r\n", $1, $1 }'
  printf '\r\n'
} >>"$machine/registry.reg"
cp "$machine/registry.reg" "$WORK/template.reg"

registry_is_whole_and_kept() {
  registry_file_is_whole "$machine/registry.reg" &&
    grep -q '^"Setting50000"="stored value number 50000"' "$machine/registry.reg"
}

cp -r "$machine" "$WORK/timing"
kill_runs_spread "$dist" "$WORK/timing" "$machine" 15 registry_is_whole_and_kept \
  "registry.reg torn or shortened" Saved --unattended '--dir=C:\Saved'
ls "$machine"/registry.reg.~setup-save.?????? >/dev/null 2>&1 && echo "(a killed save left its temporary file)"

# Into a new folder: the killed runs' backups of the libraries are in C:\Saved\Backup.
run_in "$dist" ./setup Saved --unattended --machine="$machine" '--dir=C:\Again'
expect_eq 0 "$STATUS" "exit status of the run after the kills [$ERR]"
for i in 1 20; do
  expect_eq "\"value $i\"" "$(reg_value "$machine" 'HKEY_CURRENT_USER\Software\KilledSave' "v$i")" "v$i"
done
registry_is_whole_and_kept || fail "registry.reg after the rerun"
echo "fault_killed_save: ok"
