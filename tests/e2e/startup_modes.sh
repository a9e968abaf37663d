# Start-up: conversion of setup.txt, missing or broken scripts, the command line, where the
# welcome text is looked for, product names and exit statuses.
source "$(dirname "$0")/support.bash"

machine=$WORK/machine
plain=$'X|C:\\Tool\r\nK|SZ|HKEY_CURRENT_USER|Software|Tool|Installed|yes\r\n'

# Only the plain script: converted into setup.drc silently; started again, the wizard runs.
mkdir "$WORK/convert"
cp "$SETUP" "$WORK/convert/"
printf '%s' "$plain" >"$WORK/convert/setup.txt"
run_in "$WORK/convert" ./setup --machine="$machine"
expect_eq 0 "$STATUS" "exit status of the conversion"
expect_eq "" "$OUT$ERR" "output of the conversion"
"$PACK" scramble "$WORK/convert/setup.txt" "$WORK/expected.drc"
cmp -s "$WORK/expected.drc" "$WORK/convert/setup.drc" || fail "setup.drc is not the scrambled script"
[ ! -e "$machine/drive_c/Tool" ] || fail "the conversion installed something"
run_in "$WORK/convert" ./setup --machine="$machine" --unattended
expect_eq 0 "$STATUS" "exit status after the conversion"
expect_eq '"yes"' "$(reg_value "$machine" 'HKEY_CURRENT_USER\Software\Tool' Installed)" "installed after conversion"

# Both scripts: setup.drc wins and the plain one is left alone.
printf 'X|C:\\Other\r\n' >"$WORK/convert/setup.txt"
run_in "$WORK/convert" ./setup --machine="$machine" --unattended
expect_eq 0 "$STATUS" "exit status with both scripts"
[ -f "$machine/drive_c/Tool/SETUP.LOG" ] && [ ! -e "$machine/drive_c/Other" ] ||
  fail "the plain script was used although setup.drc exists"

# No script at all, or a broken one: the error box, exit status 1, nothing installed.
mkdir "$WORK/empty"
cp "$SETUP" "$WORK/empty/"
run_in "$WORK/empty" ./setup --machine="$machine" --unattended
expect_eq 1 "$STATUS" "exit status without a script"
expect_eq "Error: One or more files missing, cannot continue installation" "$ERR" "box without a script"
printf 'X|C:\\Broken\r\n\r\n' >"$WORK/broken.txt"
"$PACK" scramble "$WORK/broken.txt" "$WORK/empty/setup.drc"
run_in "$WORK/empty" ./setup --machine="$machine" --unattended
expect_eq 1 "$STATUS" "exit status with a blank script line"
expect_eq "Error: One or more files missing, cannot continue installation" "$ERR" "box for a broken script"
[ ! -e "$machine/drive_c/Broken" ] || fail "a broken script installed something"

# The command line.
run_in "$WORK/empty" ./setup --machine="$machine" --bogus
expect_eq 1 "$STATUS" "exit status of an unknown option"
expect_eq "setup: unknown option '--bogus' (try --help)" "$ERR" "unknown option message"
run_in "$WORK/empty" ./setup --help
expect_eq 0 "$STATUS" "exit status of --help"
expect_contains "$OUT" "Usage: setup [ProductName] [options]" "--help text"
run_in "$WORK/empty" ./setup --version
expect_eq "Setup 1.0.0" "$OUT" "--version text"

# An aborted installation: status 4 and, unattended, the log's path on standard error.
make_dist "$WORK/abort" 'X|C:\Aborted' 'F|app.cmp|?APPDIR?\app.exe' 'F|gone.cmp|?APPDIR?\gone.exe'
rm "$WORK/abort/gone.cmp"
run_in "$WORK/abort" ./setup Tool --machine="$machine" --unattended
expect_eq 4 "$STATUS" "exit status of an aborted installation"
expect_contains "$ERR" ": Installation Aborted" "abort box"
expect_contains "$ERR" "setup: installation aborted; the log is $machine/drive_c/Aborted/SETUP.LOG" "log path"
log=$(masked_log "$machine/drive_c/Aborted/SETUP.LOG")
expect_eq "TIME Installation Aborted (DlgDecompress did not return IDOK)" "$(tail -n 1 <<<"$log")" "last log line"
[ -f "$machine/drive_c/Aborted/app.exe" ] || fail "files placed before the abort must stay"

# Product names: '*' for blanks in the log title and the final box; none at all.
make_dist "$WORK/names" 'X|C:\Names'
run_in "$WORK/names" ./setup 'My*Fine*App' --machine="$machine" --unattended
expect_eq ": Installation Successfully Completed. To start the program, just click Start, Programs and My Fine App." "$ERR" "success box with a product name"
log=$(masked_log "$machine/drive_c/Names/SETUP.LOG")
expect_eq "TIME Failed to load ./Setup2.txt. Reported reason: No such file or directory" \
  "$(sed -n 1p <<<"$log")" "missing welcome text"
expect_eq "TIME $(printf '%.0s*' {1..35})" "$(sed -n 2p <<<"$log")" "asterisk row"
expect_eq "TIME MY FINE APP - INSTALLATION LOG FILE" "$(sed -n 3p <<<"$log")" "log title"
run_in "$WORK/names" ./setup --machine="$machine" --unattended
expect_eq ": Installation Successfully Completed. To start the program, just click Start, Programs and ." "$ERR" "success box without a product name"
log=$(masked_log "$machine/drive_c/Names/SETUP.LOG")
expect_eq "TIME  - INSTALLATION LOG FILE" "$(sed -n 3p <<<"$log")" "log title without a name"
expect_eq "TIME $(printf '%.0s*' {1..24})" "$(sed -n 4p <<<"$log")" "asterisk row without a name"

# The welcome text is looked for beside the program, however it was started.
mkdir -p "$WORK/bin" "$WORK/elsewhere"
cp "$SETUP" "$WORK/bin/setup"
printf 'Beside the program\r\n' >"$WORK/bin/Setup2.txt"
printf 'In the current folder\r\n' >"$WORK/names/Setup2.txt"
for program in ../bin/setup "$WORK/bin/setup"; do
  INPUT=/dev/null run_in "$WORK/names" "$program" --machine="$machine"
  expect_contains "$OUT" "Beside the program" "welcome text for $program"
done
INPUT=/dev/null run_in "$WORK/names" env PATH="$WORK/bin:$PATH" setup --machine="$machine"
expect_contains "$OUT" "In the current folder" "welcome text for a program found on PATH"
rm "$WORK/bin/Setup2.txt"
INPUT=/dev/null run_in "$WORK/names" "$WORK/bin/setup" --machine="$machine"
expect_eq 2 "$STATUS" "line mode at the end of its input cancels"
# The programs carry their C++ runtime, so a machine with another libstdc++ can start them
# (sanitizer builds keep the shared one their runtime needs).
for program in "$SETUP" "$PACK" "$BUILD_DIR/uninstall"; do
  libraries=$(ldd "$program" 2>&1 || true)
  case $libraries in *libasan*) continue ;; esac
  expect_lacks "$libraries" "libstdc++" "libraries $(basename "$program") needs"
done
echo "startup_modes: ok"
