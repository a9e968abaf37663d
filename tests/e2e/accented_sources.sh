# A product folder whose folders and files have accented names, from init to an installation:
# the script names them in Windows-1252 (written in UTF-8 for the author), the disks in UTF-8.
source "$(dirname "$0")/support.bash"
export LANG=C.UTF-8 LC_ALL=C.UTF-8

cd "$WORK"
mkdir -p product/Données/Modèles
echo "la liste" >product/Données/Modèles/liste.txt
echo "dix euros" >"product/Prix €.txt"
echo "le programme" >product/Acmé.exe
head -c 20000 /dev/urandom >product/Données/Façade.dll
head -c 10000 /dev/urandom >product/Bibliothèque.dll

run_in "$WORK" "$PACK" init --from product --name "Dessin Café" --vendor "Acme Café" \
  --version 1.0 --out setup.txt
expect_eq 0 "$STATUS" "init's exit status: $ERR"
script=$(tr -d '\r' <setup.txt)
expect_contains "$script" 'F|Données\Modèles\liste.txt|?APPDIR?\Données\Modèles\liste.txt' \
  "nested accented source"
expect_contains "$script" 'F|Prix €.txt|?APPDIR?\Prix €.txt' "source with €"
expect_contains "$script" '|Publisher|Acme Café' "accented vendor"

run_in "$WORK" "$PACK" check setup.txt --from product
expect_eq 0 "$STATUS" "check's exit status: $OUT"
expect_contains "$OUT" "build stores the payload 'Bibliothèque.dll' as 'Bibliothèque.dl_'" \
  "the library's stored name, shown in UTF-8"
expect_contains "$OUT" "setup.txt: 0 errors, 0 warnings" "check passes clean"

run_in "$WORK" "$PACK" build --script setup.txt --from product --out dist
expect_eq 0 "$STATUS" "build's exit status: $ERR"
[ -f "dist/Données/Modèles/liste.txt" ] && [ -f "dist/Prix €.txt" ] &&
  [ -f "dist/Données/Façade.dl_" ] && [ -f "dist/Bibliothèque.dl_" ] ||
  fail "payloads not under their UTF-8 names: $(find dist)"
iconv -f UTF-8 -t UTF-8 <<<"$(find dist)" >/dev/null || fail "a payload's name is not UTF-8"
expect_contains "$(LC_ALL=C cat dist/setup.sum)" $'Donn\xe9es\\Mod\xe8les\\liste.txt' \
  "the manifest names the payload as the installer opens it"
run_in "$WORK" "$PACK" verify dist
expect_eq 0 "$STATUS" "verify: $OUT"
run_in "$WORK" "$PACK" build --script setup.txt --from product --out dist
expect_contains "$OUT" "dist: removed the 7 files of the earlier build" "rebuild"

run_in "$WORK/dist" ./setup 'Dessin*Café' --unattended --machine="$WORK/machine"
expect_eq 0 "$STATUS" "installation: $ERR"
# The same from the one-file installer.
run_in "$WORK" "$PACK" bundle dist --out setup-café --name 'Dessin Café' --target host
expect_eq 0 "$STATUS" "bundle's exit status: $ERR"
run_in "$WORK" ./setup-café 'Dessin*Café' --unattended --machine="$WORK/bundled"
expect_eq 0 "$STATUS" "installation by the bundle: $ERR"
for app in "$WORK"/{machine,bundled}"/drive_c/Program Files/Dessin Café"; do
  for file in Données/Modèles/liste.txt "Prix €.txt" Acmé.exe Données/Façade.dll \
    Bibliothèque.dll; do
    cmp -s "product/$file" "$app/$file" || fail "$file is not installed byte for byte in $app"
  done
done

# A missing accented source is named in the terminal's characters.
rm "product/Prix €.txt"
run_in "$WORK" "$PACK" check setup.txt --from product
expect_eq 1 "$STATUS" "check's exit status without a source"
expect_contains "$OUT" "the source 'Prix €.txt' is missing (looked for product/Prix €.txt)" \
  "missing source"

# Names Windows-1252 cannot hold: one error for each such file, nothing written.
mkdir -p odd/Ωmega
echo x >odd/fine.txt
echo x >odd/Ωmega/a.txt
echo x >"odd/日本.txt"
run_in "$WORK" "$PACK" init --from odd --name Odd --out odd.txt
expect_eq 1 "$STATUS" "init's exit status with unfit names"
why="which has no place in Windows-1252, the code page the installer reads its script in"
expect_eq "setup-pack init: cannot name 'odd/Ωmega/a.txt' in a script: it holds 'Ω' (U+03A9), $why
setup-pack init: cannot name 'odd/日本.txt' in a script: it holds '日' (U+65E5), $why
setup-pack init: 2 files cannot be named in a script; rename them and run init again" "$ERR" \
  "refusal of unfit names"
[ ! -e odd.txt ] || fail "a refused init wrote its script"
run_in "$WORK" "$PACK" init --from product --name Odd --vendor "Acme Ω"
expect_eq 2 "$STATUS" "init's exit status with an unfit vendor"
expect_contains "$ERR" "'Acme Ω' cannot stand in the script: it holds 'Ω' (U+03A9)" "unfit vendor"
echo "accented_sources: ok"
