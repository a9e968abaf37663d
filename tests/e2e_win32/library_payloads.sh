# A product that ships zlib1.dll beside its program: setup-pack.exe stores the payload under a
# name Windows never loads, so Setup.exe starts (a compressed zlib1.dll beside it would be loaded
# in its place) and installs the library byte for byte.
source "$(dirname "$0")/support.bash"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;zlib1=n,b"

src=$WORK/src
dist=$WORK/dist
mkdir -p "$src"
cp "$SAMPLE/files/SampleNotes.exe" "$src/Draw.exe"
cp "$BUILD_DIR/planted.dll" "$src/zlib1.dll"
printf '%s\r\n' 'X|?PRGFDIR?\Acme Draw' 'F|Draw.exe|?APPDIR?\Draw.exe' \
  'F|zlib1.dll|?APPDIR?\zlib1.dll' >"$WORK/script.txt"
wine "$BUILD_DIR/setup-pack.exe" build --script "$(winpath "$WORK/script.txt")" \
  --from "$(winpath "$src")" --out "$(winpath "$dist")" >/dev/null 2>&1 ||
  fail "setup-pack.exe build failed"
expect_eq "" "$(find "$dist" -iname '*.dll')" "payloads under a library's name"

run_setup "$dist" 'Acme*Draw' --unattended
expect_eq 0 "$STATUS" "Setup.exe beside the product's zlib1 payload: $ERR"
cmp -s "$src/zlib1.dll" "$DRIVE_C/Program Files/Acme Draw/zlib1.dll" ||
  fail "zlib1.dll is not installed byte for byte"
[ ! -e "$dist/zlib1.dll.loaded" ] || fail "Setup.exe loaded the product's zlib1.dll"
echo "library_payloads: ok"
