# One-file installers under Wine: the bundle of the sample, unsigned and signed with a throw-away
# certificate, installs exactly as the folder does (the real dialogs for the signed one, with the
# product name in the first page's caption); a damaged bundle refuses with one box and leaves
# nothing in the temporary folder or on the machine. The stub imports only system DLLs.
source "$(dirname "$0")/support.bash"

dist=$WORK/dist
make_sample_dist "$dist"
bundle=$WORK/SampleSetup.exe
wine "$BUILD_DIR/setup-pack.exe" bundle "$(winpath "$dist")" --out "$(winpath "$bundle")" \
  --name 'Sample Notes' --version 1.2.7 --publisher 'Sample Corp' >"$WORK/bundle.out"
[ -f "$bundle" ] || fail "setup-pack.exe bundle made nothing"

# The bundle's own version resource, as Windows reads it (and shows when it asks for the rights).
wine "$BUILD_DIR/version_query.exe" "$(winpath "$bundle")" | tr -d '\r' >"$WORK/version.out"
expected_version='CompanyName=Sample Corp
FileDescription=Sample Notes Setup
FileVersion=1.0.0
InternalName=SetupStub
OriginalFilename=SampleSetup.exe
ProductName=Sample Notes
ProductVersion=1.2.7
fixed product version=1.2.7.0'
[ "$(cat "$WORK/version.out")" = "$expected_version" ] ||
  fail "the bundle's version resource: $(cat "$WORK/version.out")"

# Read the headers once: grep -q on a pipe would end objdump early and pipefail would fail the test.
headers=$(i686-w64-mingw32-objdump -p "$BUILD_DIR/SetupStub.exe")
imports=$(awk '/DLL Name:/ { print tolower($3) }' <<<"$headers")
allowed=' advapi32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll shell32.dll user32.dll version.dll '
for dll in $imports; do
  case $allowed in *" $dll "*) ;; *) fail "SetupStub.exe needs $dll" ;; esac
done
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" ||
  fail "SetupStub.exe is not a GUI program"

# Signed with a throw-away self-signed certificate: the signature goes after the archive.
openssl req -x509 -newkey rsa:2048 -nodes -subj '/CN=Setup test signer' -days 2 \
  -keyout "$WORK/key.pem" -out "$WORK/cert.pem" >/dev/null 2>&1
signed=$WORK/SampleSetupSigned.exe
osslsigncode sign -certs "$WORK/cert.pem" -key "$WORK/key.pem" -n 'Sample Notes' \
  -in "$bundle" -out "$signed" >/dev/null
osslsigncode verify -CAfile "$WORK/cert.pem" -in "$signed" >"$WORK/verify.out" 2>&1 ||
  fail "the signed bundle does not verify: $(cat "$WORK/verify.out")"
[ "$(stat -c %s "$signed")" -gt "$(stat -c %s "$bundle")" ] || fail "nothing was signed"

fresh_prefix() {
  wineserver -k 2>/dev/null || true
  export WINEPREFIX=$WORK/prefix-$1
  prepare_template
  DRIVE_C=$WINEPREFIX/drive_c
  find_temp_dir
}
installed() {  # the product's files and its log without times
  (cd "$DRIVE_C/Program Files/Sample Notes" && find . -type f ! -name SETUP.LOG -exec md5sum {} + | sort)
  masked_log "$DRIVE_C/Program Files/Sample Notes/SETUP.LOG" | grep -v 'Temporary path'
}
leftovers() { find "$TEMP_DIR" -maxdepth 1 -name 'SetupBundle-*' 2>/dev/null; }

# The folder, then the unsigned bundle, unattended, each on a fresh machine.
fresh_prefix folder
run_program "$dist" Setup.exe 'Sample*Notes' --unattended
expect_eq 0 "$STATUS" "folder installation"
reference=$(installed)
fresh_prefix unsigned
run_program "$WORK" "$bundle" --unattended
expect_eq 0 "$STATUS" "unsigned bundle's exit status"
expect_contains "$ERR" "Start, Programs and Sample Notes." "unsigned bundle passes the product name"
expect_eq "$reference" "$(installed)" "unsigned bundle installs as the folder does"
expect_eq "" "$(leftovers)" "unsigned bundle's temporary folder removed"

# A folder left by a stub that was killed (its lock file held by nobody) goes at the next start;
# one without a lock file is not known to be a stub's and stays.
mkdir -p "$TEMP_DIR/SetupBundle-dead-1-0/data" "$TEMP_DIR/SetupBundle-nolock-1-0"
echo lock >"$TEMP_DIR/SetupBundle-dead-1-0/setup-bundle.lock"
echo payload >"$TEMP_DIR/SetupBundle-dead-1-0/data/a.txt"
run_program "$WORK" "$bundle" --unattended
expect_eq 0 "$STATUS" "bundle's exit status after a killed one"
expect_eq "$TEMP_DIR/SetupBundle-nolock-1-0" "$(leftovers)" "the killed stub's folder is removed"
rmdir "$TEMP_DIR/SetupBundle-nolock-1-0"

# The signed bundle through the real dialogs.
fresh_prefix signed
drive_program "$WORK" "$signed" <<EOF_SCRIPT
window|Sample Notes Setup|1004
contains|1004|Welcome to Sample Notes 1.2.
screenshot|$SHOTS_WIN\\bundle-1-welcome.png
press|1
gone
$(accept_sample_terms_and_directory)
window|
message|Installation Successfully Completed.\nTo start the program, just click\nStart, Programs and Sample Notes.
press|1
gone
EOF_SCRIPT
expect_eq 0 "$STATUS" "signed bundle's exit status"
expect_png "$SHOTS/bundle-1-welcome.png"
expect_eq "$(grep -v '\.LOG$' <<<"$reference" | grep -E '^[0-9a-f]{32} ')" \
  "$(installed | grep -E '^[0-9a-f]{32} ')" "signed bundle's files as the folder's"
expect_eq "" "$(leftovers)" "signed bundle's temporary folder removed"

# Damaged: a flipped byte in the middle of the archive, and a cut copy.
fresh_prefix damaged
size=$(stat -c %s "$bundle")
cp "$bundle" "$WORK/flipped.exe"
offset=$((size - 20000))
byte=$(od -An -tu1 -j "$offset" -N1 "$bundle" | tr -d ' ')
printf "\\x$(printf %02x $((byte ^ 0x5a)))" | dd of="$WORK/flipped.exe" bs=1 seek="$offset" conv=notrunc 2>/dev/null
head -c $((size - 1000)) "$bundle" >"$WORK/cut.exe"
for program in flipped.exe cut.exe; do
  drive_program "$WORK" "$program" <<EOF_SCRIPT
window|Setup
message|The setup file is damaged and cannot be run. Please get a new copy of it from the vendor or the place you downloaded it from.
owner|-
press|1
gone
EOF_SCRIPT
  expect_eq 1 "$STATUS" "$program: exit status"
  expect_eq "" "$(leftovers)" "$program: nothing in the temporary folder"
  [ ! -e "$DRIVE_C/Program Files/Sample Notes" ] || fail "$program: something was installed"
done
echo "bundle: ok (stub $(stat -c %s "$BUILD_DIR/SetupStub.exe") bytes)"
