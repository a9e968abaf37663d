# The product folder of nested accented names that tests/e2e/accented_sources.sh packs on Linux,
# packed by setup-pack.exe and installed unattended by Setup.exe: Wine shows Windows programs
# the folder's UTF-8 names under their Windows-1252 names, so both make the same distribution.
source "$(dirname "$0")/support.bash"
export LANG=C.UTF-8 LC_ALL=C.UTF-8

cd "$WORK"
mkdir -p product/Données/Modèles
echo "la liste" >product/Données/Modèles/liste.txt
echo "dix euros" >"product/Prix €.txt"
echo "le programme" >product/Acmé.exe
head -c 20000 /dev/urandom >product/Données/Façade.dll
pack() {
  wine "$BUILD_DIR/setup-pack.exe" "$@" >"$WORK/pack.out" 2>&1 ||
    fail "setup-pack.exe $1: $(cat "$WORK/pack.out")"
}
pack init --from product --name "Dessin Café" --vendor "Acme Café" --out setup.txt
pack check setup.txt --from product
expect_contains "$(cat "$WORK/pack.out")" "setup.txt: 0 errors, 0 warnings" "check passes clean"
pack build --script setup.txt --from product --out dist
[ -f "dist/Données/Modèles/liste.txt" ] && [ -f "dist/Prix €.txt" ] &&
  [ -f "dist/Données/Façade.dl_" ] || fail "payloads not under their UTF-8 names: $(find dist)"
pack verify dist

run_setup "$WORK/dist" 'Dessin*Café' --unattended
expect_eq 0 "$STATUS" "exit status [$ERR]"
app="$DRIVE_C/Program Files/Dessin Café"
for file in Données/Modèles/liste.txt "Prix €.txt" Acmé.exe Données/Façade.dll; do
  cmp -s "product/$file" "$app/$file" || fail "$file is not installed byte for byte"
done
echo "accented_sources (Wine): ok"
