# One-file installers and signals, with real signals to a real stub: TERM, HUP and INT reach the
# installer, the stub waits for it, removes its folder and ends by the same signal; one during
# the extraction stops it and leaves nothing; the folder of a stub killed outright stays while
# its installer runs and is removed by the next stub once that has ended.
source "$(dirname "$0")/support.bash"

tmp=$WORK/tmp
mkdir -p "$tmp"
export TMPDIR=$tmp
export BUNDLE_LOG=$WORK/installer.log

# A stand-in installer that waits, says which signal reached it and ends at once on it.
fake=$WORK/fake
mkdir -p "$fake"
cat >"$fake/setup" <<'EOS'
#!/bin/sh
[ "${BUNDLE_QUICK:-0}" = 1 ] && exit 0
sleep 60 &
pid=$!
for s in TERM HUP INT; do trap "echo got $s >>\"\$BUNDLE_LOG\"; kill $pid; exit 9" $s; done
echo "started $$" >>"$BUNDLE_LOG"
wait $pid
echo ended >>"$BUNDLE_LOG"
EOS
chmod +x "$fake/setup"
run_in "$WORK" "$PACK" bundle "$fake" --out "$WORK/fake-setup" --name 'Fake'
expect_eq 0 "$STATUS" "bundle of the stand-in"

wait_for_start() {  # the installer's process id once it has started
  local i
  for i in $(seq 1 200); do
    if grep -q '^started' "$BUNDLE_LOG" 2>/dev/null; then
      awk '/^started/ { print $2 }' "$BUNDLE_LOG"
      return
    fi
    sleep 0.05
  done
  fail "the installer did not start"
}
gone() {  # pid: true once the process has ended
  local i
  for i in $(seq 1 100); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.05
  done
  return 1
}

# A signal while the installer runs: handed on, waited for, the folder removed, the same end.
for sig in TERM HUP INT; do
  : >"$BUNDLE_LOG"
  # A background job starts with INT ignored; a user's terminal does not.
  env --default-signal=INT "$WORK/fake-setup" >/dev/null 2>"$WORK/stub.err" &
  stub=$!
  installer=$(wait_for_start)
  kill -s "$sig" "$stub"
  status=0
  wait "$stub" || status=$?
  expect_eq $((128 + $(kill -l "$sig"))) "$status" "$sig: the stub ends by the signal"
  expect_contains "$(cat "$BUNDLE_LOG")" "got $sig" "$sig: the installer got it"
  gone "$installer" || fail "$sig: the installer goes on as an orphan"
  expect_eq "" "$(ls -A "$tmp")" "$sig: the folder is removed"
  expect_eq "" "$(cat "$WORK/stub.err")" "$sig: no message"
done

# A signal during the extraction of a large payload, at moments spread over it: the stub stops,
# removes what it made and ends by the signal (or, when the signal came after the extraction,
# as above).
big=$WORK/big
cp -r "$fake" "$big"
head -c $((96 << 20)) /dev/urandom >"$big/payload.bin"
run_in "$WORK" "$PACK" bundle "$big" --out "$WORK/big-setup" --name 'Big'
expect_eq 0 "$STATUS" "bundle of the large payload"
start=$(date +%s%N)
BUNDLE_QUICK=1 "$WORK/big-setup" >/dev/null
whole=$((($(date +%s%N) - start) / 1000000))
for step in 1 2 3 4 5 6 7 8; do
  : >"$BUNDLE_LOG"
  "$WORK/big-setup" >/dev/null 2>&1 &
  stub=$!
  sleep "$(awk -v ms=$((whole * step / 8)) 'BEGIN { printf "%.3f", ms / 1000 }')"
  kill -s TERM "$stub" 2>/dev/null || true
  status=0
  wait "$stub" || status=$?
  expect_eq 143 "$status" "TERM at $step/8 of the extraction: status"
  if grep -q '^started' "$BUNDLE_LOG"; then
    gone "$(awk '/^started/ { print $2 }' "$BUNDLE_LOG")" || fail "TERM at $step/8: an orphan"
  fi
  expect_eq "" "$(ls -A "$tmp")" "TERM at $step/8 of the extraction: nothing left"
done

# Killed outright: its folder stays while the installer it started runs (that one holds the
# folder's lock), and the next stub removes it once the installer has ended.
: >"$BUNDLE_LOG"
"$WORK/fake-setup" >/dev/null 2>&1 &
stub=$!
installer=$(wait_for_start)
kill -s KILL "$stub"
wait "$stub" || true
left=$(ls -A "$tmp")
[ -n "$left" ] || fail "nothing was left by the killed stub"
BUNDLE_QUICK=1 "$WORK/fake-setup" >/dev/null
expect_eq "$left" "$(ls -A "$tmp")" "the folder of a running installer is kept"
kill -s TERM "$installer"
gone "$installer" || fail "the orphaned stand-in did not end"
BUNDLE_QUICK=1 "$WORK/fake-setup" >/dev/null
expect_eq "" "$(ls -A "$tmp")" "the killed stub's folder is removed at the next start"

# Another name of the same shape that is no folder, or a folder of another user, is not touched.
touch "$tmp/setup-bundle.notadir"
BUNDLE_QUICK=1 "$WORK/fake-setup" >/dev/null
expect_eq "setup-bundle.notadir" "$(ls -A "$tmp")" "a file of that name stays"
if [ "$(id -u)" = 0 ]; then
  rm "$tmp/setup-bundle.notadir"
  mkdir "$tmp/setup-bundle.other"
  chown 12345 "$tmp/setup-bundle.other"
  BUNDLE_QUICK=1 "$WORK/fake-setup" >/dev/null
  expect_eq "setup-bundle.other" "$(ls -A "$tmp")" "another user's folder stays"
fi
echo "bundle_signals: ok"
