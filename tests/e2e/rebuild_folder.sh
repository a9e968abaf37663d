# A build into a folder an earlier build filled: what that build made (its setup.sum says what)
# goes first, so no stale payload stays; the user's files, files changed since and anything
# behind a symbolic link are never deleted; a damaged setup.sum stops the build.
source "$(dirname "$0")/support.bash"

cd "$WORK"
build() {  # script out
  run_in "$WORK" "$PACK" build --script "$1" --from "$SAMPLE/files" --out "$2"
}
grep -v -e 'templates' -e 'readme.txt' "$SAMPLE/setup.txt" >smaller.txt

build "$SAMPLE/setup.txt" dist
expect_eq 0 "$STATUS" "first build: $ERR"
mkdir dist/cd && echo "label" >dist/cd/label.txt && echo "mine" >dist/notes.txt
build smaller.txt dist
expect_eq 0 "$STATUS" "rebuild: $ERR"
expect_contains "$OUT" "removed the 9 files of the earlier build" "the rebuild says what it removed"
for stale in readme.txt data/templates; do
  [ ! -e "dist/$stale" ] || fail "the stale $stale stayed"
done
[ -f dist/data/palette.dat ] && [ -f dist/setup.drc ] || fail "the rebuild's own files are missing"
expect_eq "label mine" "$(cat dist/cd/label.txt dist/notes.txt | tr '\n' ' ' | sed 's/ $//')" "the user's files"
run_in "$WORK" "$PACK" verify dist
expect_eq 0 "$STATUS" "verify after the rebuild: $OUT"

# A payload changed since is kept and named; one behind a symbolic link is not touched.
echo "edited" >>dist/help/manual.txt
mkdir outside && mv dist/data/palette.dat outside/ && rmdir dist/data && ln -s "$WORK/outside" dist/data
cp outside/palette.dat palette.orig
printf '%s\r\n' 'X|C:\Tiny' 'F|SampleNotes.exe|?APPDIR?\SampleNotes.exe' >tiny.txt
build tiny.txt dist
expect_eq 0 "$STATUS" "rebuild beside a changed payload: $ERR"
expect_contains "$ERR" "warning: kept 'help\\manual.txt', changed since the earlier build" "the changed payload is named"
[ -f dist/help/manual.txt ] || fail "the changed payload was removed"
cmp -s palette.orig outside/palette.dat || fail "a file behind a symbolic link was removed"
[ ! -e dist/system ] || fail "the emptied folder system stayed"

# A damaged manifest: nobody can tell what the earlier build made.
echo "garbage" >>dist/setup.sum
build tiny.txt dist
expect_eq 1 "$STATUS" "build over a damaged setup.sum"
expect_contains "$ERR" "empty the folder or name another with --out" "the hint"
[ -f dist/SampleNotes.exe ] || fail "a refused build removed files"
echo "rebuild_folder: ok"
