# The full-screen wizard on a terminal, driven inside tmux: keys in, the screen read back.
source "$(dirname "$0")/support.bash"
if ! command -v tmux >/dev/null; then
  echo "terminal_ui: skipped (no tmux)"
  exit 77
fi

dist=$WORK/dist
machine=$WORK/machine
make_sample_dist "$dist"
socket=setup-e2e-$$
tmux_() { tmux -L "$socket" "$@"; }
trap 'tmux_ kill-server 2>/dev/null || true; rm -rf "$WORK"' EXIT

start() {  # session arguments...
  local session=$1
  shift
  tmux_ new-session -d -s "$session" -x 100 -y 30 \
    "cd '$dist' && ./setup Sample*Notes --machine='$machine' $*; echo \$? >'$WORK/$session.status'; sleep 60"
}
screen() { tmux_ capture-pane -p -t "$1"; }
wait_for() {  # session text what
  local i
  for i in $(seq 1 100); do
    if screen "$1" | grep -qF -- "$2"; then return 0; fi
    sleep 0.1
  done
  fail "$3: [$2] not on the screen:
$(screen "$1")"
}
wait_gone() {  # session text what
  local i
  for i in $(seq 1 100); do
    if ! screen "$1" | grep -qF -- "$2"; then return 0; fi
    sleep 0.1
  done
  fail "$3: [$2] still on the screen"
}
keys() { tmux_ send-keys -t "$@"; }
status_of() {  # session
  local i
  for i in $(seq 1 100); do
    if [ -s "$WORK/$1.status" ]; then
      cat "$WORK/$1.status"
      return
    fi
    sleep 0.1
  done
  echo "none"
}

# The welcome page: caption, text, buttons; it survives a resize.
start full
wait_for full "Sample Notes Setup" "welcome caption"
wait_for full "Welcome to Sample Notes 1.2." "welcome text"
wait_for full "> Continue <" "focused Continue button"
wait_for full "[ Cancel ]" "Cancel button"
tmux_ resize-window -t full -x 70 -y 22
wait_gone full "PgUp/PgDn: scroll" "help row cut to the new width"
wait_for full "Welcome to Sample Notes 1.2." "welcome text after a resize"
# The text is longer than its box: PgDn scrolls it.
keys full NPage
wait_for full "Close all other programs" "welcome text scrolled"

# Esc asks the WARNING question; No leaves the page as it was.
keys full Escape
wait_for full "WARNING" "warning caption"
wait_for full "Do you really want to cancel?" "warning text"
keys full n
wait_gone full "WARNING" "warning box closed by No"
wait_for full "Close all other programs" "welcome page as it was after No"

# The terms scroll; I Agree goes on.
keys full Enter
wait_for full "Terms and Conditions" "terms caption"
wait_for full "SAMPLE NOTES - TERMS AND CONDITIONS" "top of the terms"
keys full NPage NPage NPage NPage NPage NPage
wait_for full "click Cancel." "end of the terms after PgDn"
keys full Enter

# The directory page is editable: Tab to the field, type over the proposal.
wait_for full "Choose the directory where the software" "directory page"
wait_for full "[C:\\Program Files\\Sample Notes" "proposed directory"
keys full Tab Tab
keys full -l 'C:\Terminal Notes'
wait_for full "[C:\\Terminal Notes" "typed directory"
keys full BSpace BSpace BSpace BSpace BSpace
keys full -l 'Pad'
wait_for full "[C:\\Terminal Pad" "edited directory"
keys full Enter

# The installation page runs to the final box.
wait_for full "Installation Successfully Completed." "final box"
wait_for full "Start, Programs and Sample Notes." "final box text"
keys full Enter
expect_eq 0 "$(status_of full)" "exit status of the terminal run"
[ -f "$machine/drive_c/Terminal Pad/SampleNotes.exe" ] || fail "not installed where typed"
log=$(masked_log "$machine/drive_c/Terminal Pad/SETUP.LOG")
expect_contains "$log" 'TIME Destination directory: C:\Terminal Pad' "directory in the log"

# Esc and Yes: cancelled, status 2.
start cancel
wait_for cancel "Welcome to Sample Notes 1.2." "second welcome page"
keys cancel Escape
wait_for cancel "WARNING" "second warning box"
keys cancel Enter
expect_eq 2 "$(status_of cancel)" "exit status of a cancel on the terminal"
echo "terminal_ui: ok"
