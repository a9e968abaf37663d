# Solid one-file installers on the host: the sample's solid bundle is smaller than the plain one,
# the same from an LZHUF and an xz distribution, and installs exactly as the folder does; a
# flipped byte or a cut anywhere in its archive refuses to run and leaves nothing behind.
source "$(dirname "$0")/support.bash"

dist=$WORK/dist
make_sample_dist "$dist"
"$PACK" build --codec xz --script "$SAMPLE/setup.txt" --from "$SAMPLE/files" --out "$WORK/xz" \
  --welcome "$SAMPLE/welcome.txt" --terms "$SAMPLE/terms.txt" >/dev/null
run_in "$WORK" "$PACK" bundle "$dist" --solid --out "$WORK/solid" --name 'Sample Notes'
expect_eq 0 "$STATUS" "solid bundle's exit status: $ERR"
expect_contains "$OUT" "solid archive" "bundle says the archive is solid"
"$PACK" bundle "$WORK/xz" --solid --out "$WORK/solid-xz" --name 'Sample Notes' >/dev/null
cmp -s "$WORK/solid" "$WORK/solid-xz" || fail "the xz distribution's solid bundle differs"
"$PACK" bundle "$dist" --out "$WORK/plain" --name 'Sample Notes' >/dev/null
[ "$(stat -c %s "$WORK/solid")" -lt "$(stat -c %s "$WORK/plain")" ] ||
  fail "the solid bundle is not smaller than the plain one"
tmp=$WORK/tmp
mkdir -p "$tmp"
export TMPDIR=$tmp

state() {  # machine: every file with its digest, SETUP.LOG's lines without their times
  (cd "$1" && find . -type f ! -name SETUP.LOG -exec md5sum {} + | sort)
  masked_log "$1/drive_c/Program Files/Sample Notes/SETUP.LOG"
}
run_in "$dist" ./setup 'Sample*Notes' --machine="$WORK/m-folder" --unattended
expect_eq 0 "$STATUS" "folder installation"
run_in "$WORK" "$WORK/solid" --machine="$WORK/m-solid" --unattended
expect_eq 0 "$STATUS" "solid bundle installation: $ERR"
expect_eq "$(state "$WORK/m-folder")" "$(state "$WORK/m-solid")" "the solid bundle installs as the folder"
expect_eq "" "$(ls -A "$tmp")" "the temporary folder is removed"

size=$(stat -c %s "$WORK/solid")
stub=$(stat -c %s "$BUILD_DIR/setup-bundle-stub")
flip() {  # file offset
  local byte
  byte=$(od -An -tu1 -j "$2" -N1 "$1" | tr -d ' ')
  printf "\\x$(printf %02x $((byte ^ 0x5a)))" | dd of="$1" bs=1 seek="$2" conv=notrunc 2>/dev/null
}
damaged=()
# The header's flags, the plain length, the stream's header, its middle and its footer.
for offset in $((stub + 20)) $((stub + 64)) $((stub + 74)) $(((stub + size) / 2)) $((size - 3)); do
  cp "$WORK/solid" "$WORK/flip-$offset"
  flip "$WORK/flip-$offset" "$offset"
  damaged+=("$WORK/flip-$offset")
done
for cut in $((stub + 70)) $(((stub + size) / 2)) $((size - 1)); do
  head -c "$cut" "$WORK/solid" >"$WORK/cut-$cut"
  chmod +x "$WORK/cut-$cut"
  damaged+=("$WORK/cut-$cut")
done
for program in "${damaged[@]}"; do
  run_in "$WORK" "$program" --machine="$WORK/m-damaged" --unattended
  expect_eq 1 "$STATUS" "$program: exit status"
  expect_contains "$ERR" "The setup file is damaged" "$program: message"
  expect_eq "" "$(ls -A "$tmp")" "$program: nothing in the temporary folder"
  [ ! -e "$WORK/m-damaged" ] || fail "$program: the machine was touched"
done
echo "solid_bundle: ok"
