# Setup.exe started by its full path from another folder, as a service starts C:\pkg\Setup.exe
# with the system directory current: it installs from its own folder, and writes nothing into
# the folder it was started in.
source "$(dirname "$0")/support.bash"

dist=$WORK/dist
make_sample_dist "$dist"
mkdir -p "$WORK/elsewhere"
run_program "$WORK/elsewhere" "$(winpath "$dist/Setup.exe")" /S
expect_eq 0 "$STATUS" "Setup.exe /S from another folder: $ERR"
[ -f "$DRIVE_C/Program Files/Sample Notes/SampleNotes.exe" ] || fail "nothing installed"
[ -z "$(ls -A "$WORK/elsewhere")" ] || fail "the folder it was started in was written"
echo "started_elsewhere: ok"
