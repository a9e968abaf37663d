# A solid one-file installer under Wine, made by setup-pack.exe from an xz distribution: smaller
# than the plain bundle, installed through the real dialogs exactly as the folder installs; a
# flipped byte or a cut refuses with one box and leaves nothing behind. The stub, now carrying
# the xz decoder, still imports only system DLLs.
source "$(dirname "$0")/support.bash"

dist=$WORK/dist
wine "$BUILD_DIR/setup-pack.exe" build --codec xz --script "$(winpath "$SAMPLE/setup.txt")" \
  --from "$(winpath "$SAMPLE/files")" --out "$(winpath "$dist")" \
  --welcome "$(winpath "$SAMPLE/welcome.txt")" --terms "$(winpath "$SAMPLE/terms.txt")" >/dev/null
solid=$WORK/SolidSetup.exe
plain=$WORK/PlainSetup.exe
wine "$BUILD_DIR/setup-pack.exe" bundle "$(winpath "$dist")" --solid --out "$(winpath "$solid")" \
  --name 'Sample Notes' | tr -d '\r' >"$WORK/bundle.out"
expect_contains "$(cat "$WORK/bundle.out")" "solid archive" "bundle says the archive is solid"
wine "$BUILD_DIR/setup-pack.exe" bundle "$(winpath "$dist")" --out "$(winpath "$plain")" \
  --name 'Sample Notes' >/dev/null
[ "$(stat -c %s "$solid")" -lt "$(stat -c %s "$plain")" ] ||
  fail "the solid bundle is not smaller than the plain one"

imports=$(i686-w64-mingw32-objdump -p "$BUILD_DIR/SetupStub.exe" | awk '/DLL Name:/ { print tolower($3) }')
allowed=' advapi32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll shell32.dll user32.dll version.dll '
for dll in $imports; do
  case $allowed in *" $dll "*) ;; *) fail "SetupStub.exe needs $dll" ;; esac
done

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

fresh_prefix folder
run_program "$dist" Setup.exe 'Sample*Notes' --unattended
expect_eq 0 "$STATUS" "folder installation"
reference=$(installed)

fresh_prefix solid
drive_program "$WORK" "$solid" <<EOF_SCRIPT
window|Sample Notes Setup|1004
contains|1004|Welcome to Sample Notes 1.2.
press|1
gone
$(accept_sample_terms_and_directory)
window|
message|Installation Successfully Completed.\nTo start the program, just click\nStart, Programs and Sample Notes.
press|1
gone
EOF_SCRIPT
expect_eq 0 "$STATUS" "solid bundle's exit status"
expect_eq "$(grep -E '^[0-9a-f]{32} ' <<<"$reference")" "$(installed | grep -E '^[0-9a-f]{32} ')" \
  "solid bundle's files as the folder's"
expect_eq "" "$(leftovers)" "solid bundle's temporary folder removed"

fresh_prefix damaged
size=$(stat -c %s "$solid")
cp "$solid" "$WORK/flipped.exe"
offset=$((size - 5000))
byte=$(od -An -tu1 -j "$offset" -N1 "$solid" | tr -d ' ')
printf "\\x$(printf %02x $((byte ^ 0x5a)))" | dd of="$WORK/flipped.exe" bs=1 seek="$offset" conv=notrunc 2>/dev/null
head -c $((size - 1000)) "$solid" >"$WORK/cut.exe"
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
echo "solid_bundle (win32): ok ($(stat -c %s "$solid") bytes against $(stat -c %s "$plain"))"
