# setup-pack.exe init under Wine on a product folder with nested folders and a private library
# in new subfolders: the starter script checks clean, builds, installs byte for byte and is
# removed again by the generic uninstaller.
source "$(dirname "$0")/support.bash"

product=$WORK/product
mkdir -p "$product/docs/en" "$product/plugins/filters" "$product/lib"
cp "$SAMPLE/files/SampleNotes.exe" "$product/Acme.exe"
cp "$SAMPLE/files/system/snrt12.dll" "$product/plugins/filters/blur.dll"
cp "$SAMPLE/files/system/snrt12.dll" "$product/lib/acmecore.dll"
echo "manual" >"$product/docs/en/Manual.txt"
head -c 70000 /dev/urandom >"$product/data.bin"

pack() { (cd "$WORK" && wine "$BUILD_DIR/setup-pack.exe" "$@") 2>&1 | tr -d '\r'; }
pack init --from "$(winpath "$product")" --name 'Acme Suite' --vendor 'Acme Corp' --version 2.0 \
  --out "$(winpath "$WORK/starter.txt")" >/dev/null
[ -f "$WORK/starter.txt" ] || fail "init wrote no script"
expect_contains "$(pack check "$(winpath "$WORK/starter.txt")" --from "$(winpath "$product")")" \
  "0 errors, 0 warnings" "the starter script checks clean"
pack build --uninstaller --name 'Acme Suite' --script "$(winpath "$WORK/starter.txt")" \
  --from "$(winpath "$product")" --out "$(winpath "$WORK/dist")" >/dev/null
[ -f "$WORK/dist/Setup.exe" ] || fail "no distribution"

find_temp_dir
files() {
  (cd "$DRIVE_C" && find . \( -path "./$TEMP_RELATIVE" -o -path ./windows/temp \) -prune \
    -o -printf '%y %s %p\n' | sort)
}
before=$(files)
run_setup "$WORK/dist" 'Acme*Suite' --unattended
expect_eq 0 "$STATUS" "installation: $ERR"
app="$DRIVE_C/Program Files/Acme Suite"
while IFS= read -r file; do
  cmp -s "$product/$file" "$app/$file" || fail "installed $file differs"
done < <(cd "$product" && find . -type f)

run_program "$WORK" "$app/Uninstall.exe" /S
expect_eq 0 "$STATUS" "the removal: $ERR"
wineserver -w
diff <(echo "$before") <(files) >"$WORK/diff" || true
# The libraries the removal keeps unattended, and their emptied folders, may stay.
expect_eq "" "$(grep '^[<>]' "$WORK/diff" | grep -v -e '\.dll$' -e 'Program Files/Acme Suite$' \
  -e 'Acme Suite/plugins' -e 'Acme Suite/lib$' || true)" "the machine after the removal"
echo "starter_script: ok"
