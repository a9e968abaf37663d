# An installer killed at any moment of its run and started again: registry.reg is always whole
# (the old or the new file, never a torn one), the machine folder's lock dies with the process,
# and the run started again completes with every file and value in place.
source "$(dirname "$0")/support.bash"

dist=$WORK/dist
machine=$WORK/machine
mkdir -p "$dist/src"
lines=()
for i in $(seq 1 40); do
  head -c 150000 /dev/urandom | base64 >"$dist/src/f$i.txt"
  lines+=("F|f$i.txt|?APPDIR?\\data\\f$i.txt")
done
for i in $(seq 1 150); do lines+=("K|SZ|HKEY_CURRENT_USER|Software|Killed|v$i|value $i"); done
printf '%s\r\n' "${lines[@]}" >"$dist/script.txt"
"$PACK" build --script "$dist/script.txt" --from "$dist/src" --out "$dist" >/dev/null
app="$machine/drive_c/Killed"

registry_is_whole() {
  [ ! -e "$machine/registry.reg" ] || registry_file_is_whole "$machine/registry.reg"
}

# Killed all over a run: while it expands the files, then while it saves registry.reg once per
# value.
kill_runs_spread "$dist" "$WORK/timing" "$machine" 19 registry_is_whole "registry.reg torn" \
  Killed --unattended '--dir=C:\Killed'

run_in "$dist" ./setup Killed --unattended --machine="$machine" '--dir=C:\Killed'
expect_eq 0 "$STATUS" "exit status of the run after the kills [$ERR]"
for i in $(seq 1 40); do
  cmp -s "$dist/src/f$i.txt" "$app/data/f$i.txt" || fail "f$i.txt differs after the rerun"
done
for i in 1 75 150; do
  expect_eq "\"value $i\"" "$(reg_value "$machine" 'HKEY_CURRENT_USER\Software\Killed' "v$i")" "v$i"
done
expect_contains "$(tr -d '\r' <"$app/SETUP.LOG")" 'End of Installation' "the log of the rerun"
echo "fault_killed: ok"
