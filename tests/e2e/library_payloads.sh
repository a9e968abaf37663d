# A product shipping libraries beside Setup.exe and in subfolders: the distribution holds no file
# under a library's name (Windows would load it into the installer), check says what each is
# stored as, verify agrees with the manifest, and the installation is byte for byte.
source "$(dirname "$0")/support.bash"

cd "$WORK"
mkdir -p src/plugins
echo "the program" >src/Draw.exe
head -c 30000 /dev/urandom >src/zlib1.dll
head -c 20000 /dev/urandom >src/plugins/Blur.OCX
head -c 10000 /dev/urandom >src/mouse.drv
echo "an author's own name that the stored one must not take" >src/zlib1.dl_
printf '%s\r\n' 'X|?PRGFDIR?\Acme Draw' 'F|Draw.exe|?APPDIR?\Draw.exe' \
  'F|zlib1.dll|?APPDIR?\zlib1.dll' 'F|plugins\Blur.OCX|?APPDIR?\plugins\Blur.ocx' \
  'F#mouse.drv#?APPDIR?\mouse.drv' 'F|zlib1.dl_|?APPDIR?\zlib1.dl_' >script.txt

run_in "$WORK" "$PACK" check script.txt --from src
expect_eq 0 "$STATUS" "check's exit status"
expect_contains "$OUT" "script.txt:3:3: note: build stores the payload 'zlib1.dll' as 'zlib1~2.dl_'" "note on zlib1.dll"
expect_contains "$OUT" "script.txt:5:3: note: build stores the payload 'mouse.drv' as 'mouse.dr_'" "note on mouse.drv"
expect_contains "$OUT" "script.txt: 0 errors, 0 warnings" "notes are no warnings"

run_in "$WORK" "$PACK" build --script script.txt --from src --out dist
expect_eq 0 "$STATUS" "build's exit status: $ERR"
expect_eq "" "$(find dist -iname '*.dll' -o -iname '*.ocx' -o -iname '*.drv')" "library names in the distribution"
"$PACK" expand dist/zlib1.dl_ expanded >/dev/null
cmp -s src/zlib1.dl_ expanded || fail "the author's zlib1.dl_ was overwritten"
run_in "$WORK" "$PACK" verify dist
expect_eq 0 "$STATUS" "verify: $OUT"

run_in "$WORK/dist" ./setup 'Acme*Draw' --unattended --machine="$WORK/machine"
expect_eq 0 "$STATUS" "installation: $ERR"
app="$WORK/machine/drive_c/Program Files/Acme Draw"
for pair in Draw.exe:Draw.exe zlib1.dll:zlib1.dll plugins/Blur.OCX:plugins/Blur.ocx \
  mouse.drv:mouse.drv zlib1.dl_:zlib1.dl_; do
  cmp -s "src/${pair%%:*}" "$app/${pair#*:}" || fail "${pair%%:*} is not installed byte for byte"
done
echo "library_payloads: ok"
