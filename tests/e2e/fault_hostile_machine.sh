# Kills in the middle of an expansion, hard and symbolic links, FIFOs and huge files in the
# distribution or machine folder, a first run killed half-way, steps that fail in the closing
# sequence: no torn file, no hang, nothing written outside, an exit status that tells the truth.
source "$(dirname "$0")/support.bash"

# A large DLL expanded over an older one, killed at random moments of the expansion: the
# destination is always the old file whole, the new one whole, or (while the old copy is safe in
# Backup) absent; the run started again installs the new file byte for byte.
dist=$WORK/dist
mkdir -p "$dist/src"
head -c 8388608 /dev/urandom >"$dist/src/probe.dll"
printf '%s\r\n' 'F|probe.dll|?SYSTEM?\probe.dll' >"$dist/script.txt"
"$PACK" build --script "$dist/script.txt" --from "$dist/src" --out "$dist" >/dev/null
head -c 100000 /dev/urandom >"$WORK/old.dll"
template=$WORK/template
run_in "$dist" ./setup Probe --unattended --machine="$template" '--dir=C:\Probe'
expect_eq 0 "$STATUS" "exit status of the first run [$ERR]"
cp "$WORK/old.dll" "$template/drive_c/Windows/System32/probe.dll"
rm -rf "$template/drive_c/Probe"
machine=$WORK/machine
dll=$machine/drive_c/Windows/System32/probe.dll
for round in $(seq 1 12); do
  rm -rf "$machine" && cp -a "$template" "$machine"
  (cd "$dist" && exec ./setup Probe --unattended --machine="$machine" '--dir=C:\Probe') \
    >/dev/null 2>&1 &
  pid=$!
  # The expansion begins once the old copy is in Backup.
  for _ in $(seq 1 2000); do
    [ -e "$machine/drive_c/Probe/Backup/probe.dll" ] && break
    sleep 0.002
  done
  sleep "0.$((RANDOM % 9))$((RANDOM % 10))"  # the expansion takes most of a second here
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  if [ -e "$dll" ]; then
    cmp -s "$dll" "$WORK/old.dll" || cmp -s "$dll" "$dist/src/probe.dll" ||
      fail "probe.dll torn by a kill in round $round ($(stat -c %s "$dll") bytes)"
  else
    cmp -s "$machine/drive_c/Probe/Backup/probe.dll" "$WORK/old.dll" ||
      fail "probe.dll gone without its backup in round $round"
  fi
  run_in "$dist" ./setup Probe --unattended --machine="$machine" '--dir=C:\Probe'
  cmp -s "$dll" "$dist/src/probe.dll" || fail "probe.dll differs after the rerun of round $round"
done

# Hard links out of the machine folder: a payload and SETUP.LOG replace them, never write through.
make_dist "$WORK/links" 'X|C:\Linked' 'F|a.txt|?APPDIR?\a.txt'
machine=$WORK/linked
run_in "$WORK/links" ./setup --unattended --machine="$machine"
echo outside >"$WORK/outside.txt"
echo outside >"$WORK/outside.log"
rm "$machine/drive_c/Linked/a.txt" "$machine/drive_c/Linked/SETUP.LOG"
ln "$WORK/outside.txt" "$machine/drive_c/Linked/a.txt"
ln "$WORK/outside.log" "$machine/drive_c/Linked/SETUP.LOG"
run_in "$WORK/links" ./setup --unattended --machine="$machine"
expect_eq 0 "$STATUS" "exit status over hard links [$ERR]"
expect_eq outside "$(cat "$WORK/outside.txt")" "the file outside behind a payload"
expect_eq outside "$(cat "$WORK/outside.log")" "the file outside behind SETUP.LOG"
expect_eq "contents of a.txt" "$(cat "$machine/drive_c/Linked/a.txt")" "the payload"

# Store files that are links: the machine folder is refused and nothing is created outside.
for name in setup.lock registry.reg registry.reg.lock; do
  rm -rf "$WORK/store" "$WORK/target" && mkdir "$WORK/store"
  ln -s "$WORK/target" "$WORK/store/$name"
  run_in "$WORK/links" ./setup --unattended --machine="$WORK/store"
  expect_eq 1 "$STATUS" "exit status with $name a link"
  expect_contains "$ERR" "$WORK/store/$name is a symbolic link" "the refusal names $name"
  [ ! -e "$WORK/target" ] || fail "a file was created through the link $name"
done

# FIFOs are files that cannot be opened: no hang while the machine lock is held.
make_dist "$WORK/fifo" 'X|C:\Fifo' 'F|a.txt|?APPDIR?\a.txt'
rm "$WORK/fifo/a.txt" && mkfifo "$WORK/fifo/a.txt" && mkfifo "$WORK/fifo/terms.txt"
run_in "$WORK/fifo" timeout 20 ./setup --unattended --machine="$WORK/fifomachine"
expect_eq 4 "$STATUS" "exit status with a FIFO as payload"
expect_contains "$ERR" "Erro de abertura no arquivo a.txt" "the FIFO payload cannot be opened"
rm "$WORK/fifo/setup.drc" && mkfifo "$WORK/fifo/setup.drc"
run_in "$WORK/fifo" timeout 20 ./setup --unattended --machine="$WORK/fifomachine"
expect_eq 1 "$STATUS" "exit status with a FIFO as setup.drc"

# An 8 GiB sparse terms text is read no further than the pages' bound.
make_dist "$WORK/huge" 'X|C:\Huge'
truncate -s 8G "$WORK/huge/terms.txt"
run_in "$WORK/huge" timeout 60 ./setup --unattended --machine="$WORK/hugemachine"
expect_eq 0 "$STATUS" "exit status with a huge terms text"

# A first run killed after drive_c was made: the next run completes the machine's defaults.
mkdir -p "$WORK/half/drive_c"
make_dist "$WORK/sys" 'X|C:\Sys' 'F|s.dll|?SYSTEM?\s.dll'
run_in "$WORK/sys" ./setup --unattended --machine="$WORK/half"
expect_eq 0 "$STATUS" "exit status on a half-made machine folder [$ERR]"
[ -f "$WORK/half/drive_c/Windows/System32/s.dll" ] || fail "System32 was not completed"
expect_eq '"C:\\Windows\\Temp"' "$(reg_value "$WORK/half" 'HKEY_CURRENT_USER\Environment' TEMP)" "TEMP"

# A save killed before its rename left a copy of the registry: removed on the next start. The
# user's own copies beside it, of any name, stay.
cp "$WORK/half/registry.reg" "$WORK/half/registry.reg.~setup-save.Ab12Cd"
for own in backup before Ab12Cd '~setup-save.Ab12C' '~setup-save.Ab12Cde'; do
  cp "$WORK/half/registry.reg" "$WORK/half/registry.reg.$own"
done
run_in "$WORK/sys" ./setup --unattended --machine="$WORK/half"
[ ! -e "$WORK/half/registry.reg.~setup-save.Ab12Cd" ] || fail "a stale registry copy was left"
for own in backup before Ab12Cd '~setup-save.Ab12C' '~setup-save.Ab12Cde'; do
  [ -f "$WORK/half/registry.reg.$own" ] || fail "the user's registry.reg.$own was removed"
done

# A shortcut that fails: installed, but exit status 3.
make_dist "$WORK/short" 'X|C:\Short' 'F|a.txt|?APPDIR?\a.txt' 'L|C:\Short\a.txt\x.lnk|C:\Short\a.txt|A'
run_in "$WORK/short" ./setup --unattended --machine="$WORK/shortmachine"
expect_eq 3 "$STATUS" "exit status after a failed shortcut"
expect_contains "$ERR" "Installation Successfully Completed" "the final message stays"
# A log that cannot be created (a folder of its name): the unattended run goes on without it,
# installed, but not whole.
make_dist "$WORK/nolog" 'X|C:\NoLog' 'F|a.txt|?APPDIR?\a.txt'
mkdir -p "$WORK/nologmachine/drive_c/NoLog/SETUP.LOG"
run_in "$WORK/nolog" ./setup --unattended --machine="$WORK/nologmachine"
expect_contains "$ERR" "Failed to create setup log file" "the log's question"
expect_eq 3 "$STATUS" "exit status without a log"
[ -f "$WORK/nologmachine/drive_c/NoLog/a.txt" ] || fail "not installed without a log"
run_in "$WORK/short" ./setup --help
expect_contains "$OUT" "3 installed, but some steps failed" "--help lists status 3"

# A conversion that cannot write setup.drc says why on standard error.
mkdir -p "$WORK/conv/setup.drc"
cp "$SETUP" "$WORK/conv/" && printf 'X|C:\\Conv\r\n' >"$WORK/conv/setup.txt"
run_in "$WORK/conv" ./setup --machine="$WORK/convmachine"
expect_eq 1 "$STATUS" "exit status of a failed conversion"
expect_eq "setup: setup.txt not converted: setup.drc: Permission denied" "$ERR" "the reason"
echo "fault_hostile_machine: ok"
