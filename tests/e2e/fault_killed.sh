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
  [ ! -e "$machine/registry.reg" ] && return 0
  head -1 "$machine/registry.reg" | tr -d '\r' | grep -qx 'REGEDIT4' &&
    [ "$(tail -c 2 "$machine/registry.reg" | od -An -tx1 | tr -d ' ')" = 0d0a ]
}

# How long a whole run takes here, so that the kills spread over all of it: expanding the files,
# then saving registry.reg once per value.
start=$(date +%s%N)
run_in "$dist" ./setup Killed --unattended --machine="$WORK/timing" '--dir=C:\Killed'
expect_eq 0 "$STATUS" "exit status of the timing run"
took=$(($(date +%s%N) - start))

for step in $(seq 1 19); do
  delay=$(awk -v ns="$took" -v k="$step" 'BEGIN { printf "%.3f", ns * k / 20 / 1e9 }')
  (cd "$dist" && exec ./setup Killed --unattended --machine="$machine" '--dir=C:\Killed') \
    >/dev/null 2>&1 &
  pid=$!
  sleep "$delay"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  registry_is_whole || fail "registry.reg torn by a kill after ${delay}s"
done

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
