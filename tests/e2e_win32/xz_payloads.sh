# A distribution built by setup-pack.exe with --codec xz, installed by Setup.exe through the real
# dialogs: the product's files byte for byte; verify agrees. A damaged xz payload (its manifest
# line made to match, so the decoder is what finds it) aborts unattended with the decoder's box
# and leaves no part of the file in place.
source "$(dirname "$0")/support.bash"

dist=$WORK/dist
wine "$BUILD_DIR/setup-pack.exe" build --codec xz --script "$(winpath "$SAMPLE/setup.txt")" \
  --from "$(winpath "$SAMPLE/files")" --out "$(winpath "$dist")" \
  --welcome "$(winpath "$SAMPLE/welcome.txt")" --terms "$(winpath "$SAMPLE/terms.txt")" >/dev/null
expect_eq "fd377a585a00" "$(od -An -tx1 -N6 "$dist/readme.txt" | tr -d ' ')" "readme.txt's magic"
run_program "$dist" "$BUILD_DIR/setup-pack.exe" verify .
expect_eq 0 "$STATUS" "verify: $OUT"

drive "$dist" 'Sample*Notes' <<EOF_SCRIPT
window|Sample Notes Setup|1004
press|1
gone
$(accept_sample_terms_and_directory)
window|
message|Installation Successfully Completed.\nTo start the program, just click\nStart, Programs and Sample Notes.
press|1
gone
EOF_SCRIPT
expect_eq 0 "$STATUS" "exit status"
expect_eq "" "$ERR" "standard error"
expect_sample_files "$DRIVE_C/Program Files/Sample Notes"

damaged=$WORK/damaged
cp -r "$dist" "$damaged"
python3 - "$damaged" <<'EOS'
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
run_setup "$damaged" 'Sample*Notes' /S '/DIR=C:\Damaged'
expect_eq 4 "$STATUS" "installation of a damaged xz payload"
expect_contains "$ERR" "Erro de leitura" "the decoder's box"
[ ! -e "$DRIVE_C/Damaged/readme.txt" ] || fail "a part of the damaged readme.txt was put in place"
expect_eq "" "$(find "$DRIVE_C/Damaged" -name '*.~new')" "no expansion left beside its destination"
echo "xz_payloads (win32): ok"
