# setup-pack.exe build into the folder of an earlier build removes the stale payloads it made
# and keeps the user's file; with --uninstaller it refuses a script whose UninstallString names
# another program than Uninstall.exe.
source "$(dirname "$0")/support.bash"

pack() { (cd "$WORK" && wine "$BUILD_DIR/setup-pack.exe" "$@") >"$WORK/pack.out" 2>&1; }
build() {  # script extra-options...
  pack build --script "$(winpath "$1")" --from "$(winpath "$SAMPLE/files")" --out "$(winpath "$WORK/dist")" "${@:2}"
}
build "$SAMPLE/setup.txt" || fail "first build: $(cat "$WORK/pack.out")"
echo "mine" >"$WORK/dist/notes.txt"
grep -v -e templates -e readme.txt "$SAMPLE/setup.txt" >"$WORK/smaller.txt"
build "$WORK/smaller.txt" || fail "rebuild: $(cat "$WORK/pack.out")"
[ ! -e "$WORK/dist/readme.txt" ] && [ ! -e "$WORK/dist/data/templates" ] || fail "stale payloads stayed"
[ -f "$WORK/dist/notes.txt" ] && [ -f "$WORK/dist/data/palette.dat" ] || fail "the user's or the new files are gone"

(cat "$WORK/smaller.txt"
  printf '%s\r\n' 'K|SZ|HKEY_LOCAL_MACHINE|Software|Microsoft|Windows|CurrentVersion|Uninstall|Sample Notes|UninstallString|"?APPDIR?\Notes.exe"') >"$WORK/foreign.txt"
set +e
build "$WORK/foreign.txt" --uninstaller --name 'Sample Notes'
status=$?
set -e
expect_eq 1 "$status" "exit status with another program's UninstallString"
expect_contains "$(tr -d '\r' <"$WORK/pack.out")" "UninstallString names '?APPDIR?\\Notes.exe', not the uninstaller" "the refusal"
echo "pack_rebuild: ok"
