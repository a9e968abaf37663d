# One-file installers on the host: a bundle installs exactly as its folder does, also with data
# appended after it (as a signature is); a flipped byte or a cut anywhere in the archive refuses
# to run and leaves nothing behind; the stub passes the product name, the arguments and the
# exit status, works in a private folder and removes it; a full disk is a clear error.
source "$(dirname "$0")/support.bash"

dist=$WORK/dist
make_sample_dist "$dist"
bundle=$WORK/sample-setup
run_in "$WORK" "$PACK" bundle "$dist" --out "$bundle" --name 'Sample Notes'
expect_eq 0 "$STATUS" "bundle's exit status"
expect_contains "$OUT" "stub" "bundle says what the stub weighs"
tmp=$WORK/tmp
mkdir -p "$tmp"
export TMPDIR=$tmp

# The folder's installation, the reference.
run_in "$dist" ./setup 'Sample*Notes' --machine="$WORK/m-folder" --unattended
expect_eq 0 "$STATUS" "folder installation"
reference_err=$ERR
state() {  # machine: every file with its digest, SETUP.LOG's lines without their times
  (cd "$1" && find . -type f ! -name SETUP.LOG -exec md5sum {} + | sort)
  masked_log "$1/drive_c/Program Files/Sample Notes/SETUP.LOG"
}
reference=$(state "$WORK/m-folder")

# Unsigned, and with a certificate-table-like block appended: the same result.
cp "$bundle" "$WORK/appended"
head -c 8192 /dev/urandom >>"$WORK/appended"
for program in "$bundle" "$WORK/appended"; do
  machine=$WORK/m-$(basename "$program")
  run_in "$WORK" "$program" --machine="$machine" --unattended
  expect_eq 0 "$STATUS" "$program: exit status"
  expect_eq "$reference_err" "$ERR" "$program: messages"
  expect_eq "$reference" "$(state "$machine")" "$program: machine after the installation"
  expect_eq "" "$(ls -A "$tmp")" "$program: the temporary folder is removed"
done

# Damage: one byte flipped at places across the archive, or the file cut short.
size=$(stat -c %s "$bundle")
stub=$(stat -c %s "$BUILD_DIR/setup-bundle-stub")
flip() {  # file offset
  local byte
  byte=$(od -An -tu1 -j "$2" -N1 "$1" | tr -d ' ')
  printf "\\x$(printf %02x $((byte ^ 0x5a)))" | dd of="$1" bs=1 seek="$2" conv=notrunc 2>/dev/null
}
damaged=()
for offset in $stub $((stub + 10)) $((stub + 24)) $((stub + 40)) $((stub + 64)) $((stub + 70)) \
  $(((stub + size) / 2)) $((size - 1)); do
  cp "$bundle" "$WORK/flip-$offset"
  flip "$WORK/flip-$offset" "$offset"
  damaged+=("$WORK/flip-$offset")
done
for cut in $((stub + 30)) $((stub + 64)) $(((stub + size) / 2)) $((size - 1)); do
  head -c "$cut" "$bundle" >"$WORK/cut-$cut"
  chmod +x "$WORK/cut-$cut"
  damaged+=("$WORK/cut-$cut")
done
for program in "${damaged[@]}"; do
  machine=$WORK/m-damaged
  run_in "$WORK" "$program" --machine="$machine" --unattended
  expect_eq 1 "$STATUS" "$program: exit status"
  expect_contains "$ERR" "The setup file is damaged" "$program: message"
  expect_eq "" "$(ls -A "$tmp")" "$program: nothing in the temporary folder"
  [ ! -e "$machine" ] || fail "$program: the machine was touched"
done

# A stand-in installer shows what the stub hands it.
fake=$WORK/fake
mkdir -p "$fake"
cat >"$fake/setup" <<'EOS'
#!/bin/sh
echo "mode $(stat -c %a .)"
echo "cwd $(pwd)"
echo "args $*"
cat data.txt
exit 7
EOS
chmod +x "$fake/setup"
echo "carried data" >"$fake/data.txt"
run_in "$WORK" "$PACK" bundle "$fake" --out "$WORK/fake-setup" --name 'My Fine App'
expect_eq 0 "$STATUS" "bundle without a manifest"
# first argument | what the installer gets
cases=(
  "|args My*Fine*App"
  "--unattended|args My*Fine*App --unattended"
  "Other*Name --unattended|args Other*Name --unattended"
)
for row in "${cases[@]}"; do
  IFS='|' read -r given expected <<<"$row"
  # shellcheck disable=SC2086
  run_in "$WORK" "$WORK/fake-setup" $given
  expect_eq 7 "$STATUS" "[$given]: the installer's exit status"
  expect_contains "$OUT" "$expected" "[$given]: arguments"
  expect_contains "$OUT" "mode 700" "[$given]: private folder"
  expect_contains "$OUT" "cwd $tmp/" "[$given]: runs in the temporary folder"
  expect_contains "$OUT" "carried data" "[$given]: files are extracted"
  expect_eq "" "$(ls -A "$tmp")" "[$given]: the folder is removed"
done

# A cancelled installation: its status, and the folder removed.
run_in "$WORK" "$bundle" --machine="$WORK/m-cancel"
expect_eq 2 "$STATUS" "cancelled run's status"
expect_eq "" "$(ls -A "$tmp")" "folder removed after a cancel"

# A temporary folder that cannot hold the distribution (64 KB, far less than its programs alone):
# a clear error, nothing left, no run.
if [ "$(id -u)" = 0 ] && unshare --mount --propagation private true 2>/dev/null; then
  small=$WORK/small
  mkdir -p "$small"
  set +e
  out=$(unshare --mount --propagation private bash -c "mount -t tmpfs -o size=64k tmpfs '$small' &&
    TMPDIR='$small' '$bundle' --machine='$WORK/m-full' --unattended; echo \"status \$?\";
    ls -A '$small'" 2>&1)
  set -e
  expect_contains "$out" "the disk is full" "full disk message"
  expect_contains "$out" "status 1" "full disk status"
  expect_eq "status 1" "$(tail -n 1 <<<"$out")" "nothing left on the full disk"
  [ ! -e "$WORK/m-full" ] || fail "the installer ran after a failed extraction"
fi
echo "bundle_host: ok"
