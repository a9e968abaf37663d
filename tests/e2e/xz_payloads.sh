# A distribution built with --codec xz: every payload is one .xz stream, verify agrees, and it
# installs exactly as the LZHUF one does, unattended and through the line prompts. A damaged xz
# payload (its manifest line made to match, so the decoder is what finds it) aborts the
# installation with the decoder's box and leaves no part of the file in place.
source "$(dirname "$0")/support.bash"

cd "$WORK"
build() {  # out codec...
  "$PACK" build --script "$SAMPLE/setup.txt" --from "$SAMPLE/files" --out "$1" \
    --welcome "$SAMPLE/welcome.txt" --terms "$SAMPLE/terms.txt" "${@:2}" >/dev/null
}
build lzhuf
build xz --codec xz
payloads=$(tr -d '\r' <xz/setup.sum | sed 1d | grep -vE ' (setup\.drc|Setup2\.txt|terms\.txt|setup)$' |
  cut -d' ' -f3-)
[ -n "$payloads" ] || fail "no payloads listed"
while IFS= read -r name; do
  file=xz/${name//\\//}
  expect_eq "fd377a585a00" "$(od -An -tx1 -N6 "$file" | tr -d ' ')" "magic of $name"
done <<<"$payloads"
run_in "$WORK" "$PACK" verify xz
expect_eq 0 "$STATUS" "verify of the xz distribution: $OUT"

state() {  # machine: every file with its digest, SETUP.LOG's lines without their times
  (cd "$1" && find . -type f ! -name SETUP.LOG -exec md5sum {} + | sort)
  masked_log "$1/drive_c/Program Files/Sample Notes/SETUP.LOG"
}
run_in "$WORK/lzhuf" ./setup 'Sample*Notes' --machine="$WORK/m-lzhuf" --unattended
expect_eq 0 "$STATUS" "LZHUF installation: $ERR"
run_in "$WORK/xz" ./setup 'Sample*Notes' --machine="$WORK/m-xz" --unattended
expect_eq 0 "$STATUS" "xz installation: $ERR"
expect_eq "$(state "$WORK/m-lzhuf")" "$(state "$WORK/m-xz")" "the xz distribution installs as the LZHUF one"
printf '\n\n\n\n\n' >input
INPUT=$WORK/input run_in "$WORK/xz" ./setup 'Sample*Notes' --machine="$WORK/m-lines"
expect_eq 0 "$STATUS" "xz installation through the line prompts"
expect_contains "$OUT" "Installation Successfully Completed." "success box"
expect_eq "$(state "$WORK/m-xz")" "$(state "$WORK/m-lines")" "line prompts install the same"

# The compressed size of a larger file: xz well below LZHUF.
awk 'BEGIN { srand(7); for (i = 0; i < 40000; i++) print "record", i, int(rand() * 1000) }' >big
"$PACK" compress big big.lz
"$PACK" compress --codec xz big big.xz
[ $(($(stat -c %s big.xz) * 10)) -lt $(($(stat -c %s big.lz) * 8)) ] ||
  fail "xz is not smaller than LZHUF: $(stat -c %s big.xz) against $(stat -c %s big.lz)"
"$PACK" expand --codec xz big.xz big.out
cmp -s big big.out || fail "big did not survive compress --codec xz and expand"

# A flipped byte in readme.txt's stream, its manifest line matching the damaged file.
cp -r xz damaged
python3 - "$WORK/damaged" <<'EOS'
import hashlib, sys
folder = sys.argv[1]
path = folder + "/readme.txt"
data = bytearray(open(path, "rb").read())
data[len(data) // 2] ^= 0x20
open(path, "wb").write(data)
lines = open(folder + "/setup.sum", newline="").read().split("\r\n")
for i, line in enumerate(lines):
    if line.endswith(" readme.txt"):
        lines[i] = "%s %d readme.txt" % (hashlib.sha256(data).hexdigest(), len(data))
open(folder + "/setup.sum", "w", newline="").write("\r\n".join(lines))
EOS
run_in "$WORK" "$PACK" verify damaged
expect_eq 1 "$STATUS" "verify of a damaged xz payload"
expect_contains "$OUT" "readme.txt: damaged, its xz stream is damaged" "verify names the stream"
run_in "$WORK/damaged" ./setup 'Sample*Notes' --machine="$WORK/m-damaged" --unattended
expect_eq 4 "$STATUS" "installation of a damaged xz payload"
expect_contains "$ERR" "Error: Erro de leitura" "the decoder's box"
app="$WORK/m-damaged/drive_c/Program Files/Sample Notes"
[ ! -e "$app/readme.txt" ] || fail "a part of the damaged readme.txt was put in place"
expect_eq "" "$(find "$app" -name '*.~new')" "no expansion left beside its destination"
echo "xz_payloads: ok"
