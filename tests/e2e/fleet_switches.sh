# A fleet tool's installation: the silent switches, started from another folder (a service's
# current directory), the directory and a copy of the log where the tool wants them; a run with
# no distribution anywhere still says so; a /D= path with blanks ends the line.
source "$(dirname "$0")/support.bash"

dist=$WORK/dist
machine=$WORK/machine
elsewhere=$WORK/elsewhere
mkdir -p "$elsewhere"
make_sample_dist "$dist"

run_in "$elsewhere" "$dist/setup" 'Sample*Notes' /VERYSILENT '/DIR="C:\Apps\Acme"' \
  '/LOG=C:\logs\acme.log' --machine="$machine"
expect_eq 0 "$STATUS" "exit status from another folder: $ERR"
app="$machine/drive_c/Apps/Acme"
expect_sample_files "$app"
cmp -s "$app/SETUP.LOG" "$machine/drive_c/logs/acme.log" || fail "no copy of the log in C:\\logs"
[ ! -e "$elsewhere/setup.drc" ] || fail "the current folder was written"

for silent in /S /SILENT /quiet /qn; do
  rm -rf "$machine"
  run_in "$elsewhere" "$dist/setup" "$silent" --machine="$machine" /D=C:\\Program Files\\Acme Tools
  expect_eq 0 "$STATUS" "exit status of $silent: $ERR"
  [ -f "$machine/drive_c/Program Files/Acme Tools/SETUP.LOG" ] || fail "$silent: /D= not taken whole"
done

# Neither folder holds a distribution: the message as before.
mkdir -p "$WORK/bare"
cp "$BUILD_DIR/setup" "$WORK/bare/setup"
run_in "$elsewhere" "$WORK/bare/setup" /S --machine="$machine"
expect_eq 1 "$STATUS" "exit status without a distribution"
expect_contains "$ERR" "One or more files missing" "message without a distribution"
echo "fleet_switches: ok"
