# Runs that end early: no script at all (the start-up error box), and an installation whose
# payload file is missing (the decoder's box, the engine's box, "Installation Aborted"), with
# what was done before the abort left in place. Also the command line of the Windows program.
source "$(dirname "$0")/support.bash"

# --machine means nothing on Windows; --version and bad options as on Linux.
mkdir "$WORK/empty"
cp "$BUILD_DIR/Setup.exe" "$WORK/empty/"
run_setup "$WORK/empty" --machine='C:\x'
expect_eq 1 "$STATUS" "exit status with --machine"
expect_contains "$ERR" "--machine is only for the Linux program" "--machine message"
run_setup "$WORK/empty" --version
expect_eq 0 "$STATUS" "exit status of --version"
expect_eq "Setup 1.0.0" "$OUT" "--version"
run_setup "$WORK/empty" --no-such-option
expect_eq 1 "$STATUS" "exit status of an unknown option"

# No setup.drc: the error box without an owner, exit status 1.
drive "$WORK/empty" <<EOF_SCRIPT
window|Error
message|One or more files missing, cannot continue installation
owner|-
press|1
gone
EOF_SCRIPT
expect_eq 1 "$STATUS" "exit status without a script"

# A payload missing from the distribution. Enter takes the default button of each page.
dist=$WORK/dist
make_sample_dist "$dist"
rm "$dist/data/palette.dat"
drive "$dist" 'Sample*Notes' <<EOF_SCRIPT
window|Sample Notes Setup|1004
key|enter
closed|Sample Notes Setup|1004
absent|WARNING|500
window|Terms and Conditions|1000
key|enter
gone
window|Sample Notes Setup|1001
settext|1001|C:\\Aborted
key|enter
gone
window|Error
owner|Installation
message|Erro de abertura no arquivo data\\palette.dat
screenshot|$SHOTS_WIN\\abort-1-decoder.png
press|1
gone
window|Error
owner|-
message|Failed to decompress file\nC:\\Aborted\\Data\\palette.dat\nIs file in use?
press|1
gone
window|
owner|-
message|Installation Aborted
screenshot|$SHOTS_WIN\\abort-2-aborted.png
press|1
gone
EOF_SCRIPT
expect_eq 4 "$STATUS" "exit status of the aborted installation"
expect_png "$SHOTS/abort-1-decoder.png"

app=$DRIVE_C/Aborted
for file in SampleNotes.exe readme.txt Help/manual.txt; do
  [ -f "$app/$file" ] || fail "$file, placed before the abort, is gone"
done
for file in Data/Templates/letter.txt Data/Templates/report.txt; do
  [ ! -e "$app/$file" ] || fail "$file was placed after the abort"
done
[ ! -e "$DRIVE_C/windows/system32/snrt12.dll" ] || fail "the library was placed after the abort"
! reg_key_exists 'HKLM\Software\Sample Corp' || fail "registry values were written"
[ ! -e "$PROGRAMS/Sample Notes" ] || fail "shortcuts were made"
log=$(masked_log "$app/SETUP.LOG")
expect_eq "TIME Will decompress data\\palette.dat to C:\\Aborted\\Data\\palette.dat
TIME Failed to decompress to C:\\Aborted\\Data\\palette.dat, must abort
TIME Destroying decompression box
TIME Installation Aborted (DlgDecompress did not return IDOK)" "$(tail -n 4 <<<"$log")" "end of SETUP.LOG"
echo "$NAME: ok"
