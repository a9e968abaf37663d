# Two installers started at once on one machine folder: each either completes or stops at once
# saying that another installation is running; registry.reg stays whole, every completed run's
# values are in it, and the shared library's count equals the number of completed runs.
source "$(dirname "$0")/support.bash"

dist=$WORK/dist
machine=$WORK/machine
lines=('F|lib.dll|?SYSTEM?\shared.dll')
for i in $(seq 1 30); do
  lines+=("F|f$i.txt|?APPDIR?\\f$i.txt" "K|DWORD|HKEY_CURRENT_USER|Software|Both|?APPDIR?|$i")
done
make_dist "$dist" "${lines[@]}"

completed=0
for round in 1 2 3 4 5 6; do
  for who in A B; do
    (cd "$dist" && exec ./setup Both --unattended --machine="$machine" "--dir=C:\\$who$round") \
      >/dev/null 2>"$WORK/$who.err" &
    eval "pid_$who=\$!"
  done
  for who in A B; do
    eval "pid=\$pid_$who"
    set +e
    wait "$pid"
    status=$?
    set -e
    err=$(cat "$WORK/$who.err")
    if [ "$status" = 0 ]; then
      completed=$((completed + 1))
      expect_contains "$err" 'Installation Successfully Completed' "round $round, $who"
      for i in 1 17 30; do
        [ -f "$machine/drive_c/$who$round/f$i.txt" ] || fail "round $round, $who: f$i.txt missing"
      done
      expect_eq 'dword:0000001e' \
        "$(reg_value "$machine" 'HKEY_CURRENT_USER\Software\Both' "C:\\\\$who$round")" \
        "round $round, $who: its registry value"
    else
      expect_eq 1 "$status" "round $round, $who: exit status [$err]"
      expect_contains "$err" 'another installation is running on the machine folder' \
        "round $round, $who: the refusal says why"
      [ ! -e "$machine/drive_c/$who$round" ] || fail "round $round, $who: refused but installed"
    fi
  done
  head -1 "$machine/registry.reg" | tr -d '\r' | grep -qx 'REGEDIT4' || fail "registry.reg damaged"
  expect_eq "dword:$(printf '%08x' "$completed")" \
    "$(reg_value "$machine" 'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\SharedDLLs' 'C:\\Windows\\System32\\shared.dll')" \
    "shared library count after round $round"
done
[ "$completed" -ge 6 ] || fail "only $completed of 12 runs completed"
echo "fault_concurrent: ok ($completed of 12 runs completed, the others were refused)"
