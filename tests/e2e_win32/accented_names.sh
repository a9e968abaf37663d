# The product whose texts, name, directory and file names hold "à ç é © €", built by
# setup-pack.exe and installed unattended under Wine: the same names on disk and the same
# registry values as the host test finds in its machine folder.
source "$(dirname "$0")/support.bash"
export LANG=C.UTF-8 LC_ALL=C.UTF-8

chars='à ç é © €'
src=$SOURCE_DIR/tests/e2e/accented
dist=$WORK/dist
wine "$BUILD_DIR/setup-pack.exe" build --uninstaller --name 'Acmé Draw' \
  --script "$(winpath "$src/script.txt")" --from "$(winpath "$src/files")" \
  --out "$(winpath "$dist")" --welcome "$(winpath "$src/welcome.txt")" \
  --terms "$(winpath "$src/terms.txt")" >/dev/null 2>&1 || fail "setup-pack.exe build"
run_setup "$dist" 'Acmé*Draw' --unattended
expect_eq 0 "$STATUS" "exit status [$ERR]"

# Wine keeps names in UTF-8 on disk, as the host's machine folder does.
app="$DRIVE_C/Program Files/Acmé Draw © €"
names=$(cd "$app" && ls -R)
expect_eq "$(printf '%s\n' .: 'Acmé.exe' 'Données' "Lisez-moi $chars.txt" SETUP.LOG \
  Uninstall.exe uninstall.drc uninstall.rec '' './Données:' 'Façade €.dat')" "$names" "names on disk"
expect_eq "read me" "$(cat "$app/Lisez-moi $chars.txt")" "installed contents"

# A value of HKEY_LOCAL_MACHINE as system.reg holds it (characters above 0x7F as \xNNNN), in
# UTF-8.
wine_value() {  # key-as-written name
  wineserver -w
  KEY="[$1]" NAME="\"$2\"=" perl -CO -ne '
    chomp; s/\r$//;
    if (/^\[/) { $in = index($_, $ENV{KEY}) == 0; next }
    if ($in && index($_, $ENV{NAME}) == 0) {
      $v = substr($_, length $ENV{NAME});
      $v =~ s/\\x([0-9a-fA-F]{1,4})/chr(hex $1)/ge;
      print $v; exit
    }' "$WINEPREFIX/system.reg"
}
key='Software\\Acm\xe9\\Draw'
expect_eq '"C:\\Program Files\\Acmé Draw © €"' "$(wine_value "$key" InstallDir)" "InstallDir"
expect_eq "\"$chars\"" "$(wine_value "$key" Note)" "Note"
uninstall='Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Acm\xe9 Draw'
expect_eq '"Acmé Draw"' "$(wine_value "$uninstall" DisplayName)" "DisplayName"

expect_eq "C:\\Program Files\\Acmé Draw © €\\Acmé.exe|Dessin $chars" \
  "$(link_info "$PROGRAMS/Acmé Draw/Acmé © €.lnk")" "shortcut"
log=$(tr -d '\r' <"$app/SETUP.LOG" | iconv -f CP1252 -t UTF-8)
expect_contains "$log" "Destination directory: C:\\Program Files\\Acmé Draw © €" "log in Windows-1252"
echo "accented_names (Wine): ok"
