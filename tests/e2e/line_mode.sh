# The wizard with line prompts (standard input not a terminal): cancel, refuse, back, install.
source "$(dirname "$0")/support.bash"

dist=$WORK/dist
machine=$WORK/machine
make_sample_dist "$dist"
app="$machine/drive_c/Program Files/Sample Notes"
answer() { printf "$1" >"$WORK/input"; INPUT=$WORK/input run_in "$dist" ./setup Sample*Notes --machine="$machine"; }

# Cancel confirmed at the welcome page: status 2, no log anywhere.
answer '2\ny\n'
expect_eq 2 "$STATUS" "exit status of a confirmed cancel"
expect_contains "$OUT" "== Sample Notes Setup ==" "welcome caption"
expect_contains "$OUT" "Welcome to Sample Notes 1.2." "welcome text"
expect_contains "$OUT" $'WARNING: If you cancel you will NOT install the program.\nDo you really want to cancel?' "warning box"
[ -z "$(find "$machine" -name SETUP.LOG)" ] || fail "a cancelled run left a SETUP.LOG"

# Cancel answered No: the welcome page stays; the terms refused then: status 2.
answer 'cancel\nno\ncontinue\ncancel\n'
expect_eq 2 "$STATUS" "exit status of refused terms"
expect_contains "$OUT" "== Terms and Conditions ==" "terms page"
expect_contains "$OUT" "1. Licence. Sample Corp grants you" "terms text"
[ ! -e "$app" ] || fail "refused terms installed something"

# Back from the directory page, then a typed directory.
answer '\n\n<\n\nC:\\Notes\n'
expect_eq 0 "$STATUS" "exit status after Back"
expect_contains "$OUT" "[C:\\Program Files\\Sample Notes]" "proposed directory"
expect_contains "$OUT" $'Installation Successfully Completed.\nTo start the program, just click\nStart, Programs and Sample Notes.' "success box"
expect_contains "$OUT" "Expanding SampleNotes.exe" "status line"
expect_lacks "$OUT" "Checking snrt12" "hidden name in the check status"
log=$(masked_log "$machine/drive_c/Notes/SETUP.LOG")
expect_eq "TIME Begin Installation
TIME Terms and conditions accepted
TIME Destination directory not chosen, back to Terms and Conditions
TIME Terms and conditions accepted
TIME Destination directory: C:\\Notes
TIME Decompression box opened" "$(sed -n 5,10p <<<"$log")" "log of a run with Back"
[ -f "$machine/drive_c/Notes/Data/Templates/report.txt" ] || fail "not installed in the typed directory"
echo "line_mode: ok"
