# Cancelling at the welcome page: Cancel, Esc and the close box all ask the WARNING question;
# No leaves the page as it was, Yes ends the program with nothing installed and no log.
source "$(dirname "$0")/support.bash"

dist=$WORK/dist
make_sample_dist "$dist"

drive "$dist" 'Sample*Notes' <<EOF_SCRIPT
window|Sample Notes Setup|1004
press|2
window|WARNING
owner|Sample Notes Setup
message|If you cancel you will NOT install the program.\nDo you really want to cancel?
screenshot|$SHOTS_WIN\\cancel-1-warning.png
press|7
gone
window|Sample Notes Setup|1004
contains|1004|Welcome to Sample Notes 1.2.
key|esc
window|WARNING
owner|Sample Notes Setup
press|7
gone
window|Sample Notes Setup|1004
close
window|WARNING
press|6
gone
closed|Sample Notes Setup|1004
absent|Terms and Conditions|1500
EOF_SCRIPT
expect_eq 2 "$STATUS" "exit status"
expect_png "$SHOTS/cancel-1-warning.png"
[ -z "$(find "$DRIVE_C" "$dist" -iname SETUP.LOG)" ] || fail "a SETUP.LOG was written"
[ ! -e "$DRIVE_C/Program Files/Sample Notes" ] || fail "the installation directory was created"
! reg_key_exists 'HKLM\Software\Sample Corp' || fail "registry values were written"
expect_eq "" "$(reg_value 'HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs' 'C:\windows\system32\snrt12.dll')" \
  "SharedDLLs count"
echo "$NAME: ok"
