# A product whose texts, name, directory and file names hold "à ç é © €", installed through the
# terminal wizard, line mode and unattended: the screen and the Linux names in UTF-8, the
# registry, the log and the shortcuts in Windows-1252 as Windows keeps them.
source "$(dirname "$0")/support.bash"
export LANG=C.UTF-8 LC_ALL=C.UTF-8

chars='à ç é © €'
ansi=$'\xe0 \xe7 \xe9 \xa9 \x80'  # the same in Windows-1252
src=$SOURCE_DIR/tests/e2e/accented
dist=$WORK/dist
"$PACK" build --uninstaller --name 'Acmé Draw' --script "$src/script.txt" --from "$src/files" \
  --out "$dist" --welcome "$src/welcome.txt" --terms "$src/terms.txt" >/dev/null 2>&1 ||
  fail "setup-pack build"
welcome=$(LC_ALL=C tr -d '\r' <"$dist/Setup2.txt")
expect_eq $'Bem-vindo \xe0 instala\xe7\xe3o de Acm\xe9 Draw.\nCaract\xe8res: '"$ansi." \
  "$welcome" "welcome text in Windows-1252"

# A name Windows-1252 cannot hold is refused before anything is written.
run_in "$WORK" "$PACK" build --uninstaller --name 'Acmé Ω' --script "$src/script.txt" \
  --from "$src/files" --out "$WORK/omega"
expect_eq 2 "$STATUS" "exit status of a build with an unrepresentable name"
expect_contains "$ERR" "--name holds a character that has no place in Windows-1252" "refusal"
[ ! -e "$WORK/omega" ] || fail "a refused build wrote $(ls "$WORK/omega")"

programs_of() { echo "$1/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"; }
# What every installation leaves, in the directory `dir` (as Linux names it).
check_install() {  # machine dir ansi-dir what
  local machine=$1 app="$1/drive_c/$2" what=$4 names info reg
  names=$(cd "$app" && ls -R)
  expect_eq "$(printf '%s\n' .: 'Acmé.exe' 'Données' "Lisez-moi $chars.txt" SETUP.LOG uninstall \
    uninstall.drc uninstall.rec '' './Données:' 'Façade €.dat')" "$names" "$what: names on disk"
  # Nothing stored raw: every name is UTF-8.
  iconv -f UTF-8 -t UTF-8 <<<"$(cd "$machine" && find .)" >/dev/null ||
    fail "$what: a name on disk is not UTF-8"
  expect_eq "read me" "$(cat "$app/Lisez-moi $chars.txt")" "$what: installed contents"
  reg=$(LC_ALL=C reg_value "$machine" $'HKEY_LOCAL_MACHINE\\Software\\Acm\xe9\\Draw' InstallDir)
  expect_eq "\"$(LC_ALL=C sed 's/\\/\\\\/g' <<<"$3")\"" "$reg" "$what: InstallDir in Windows-1252"
  reg=$(LC_ALL=C reg_value "$machine" $'HKEY_LOCAL_MACHINE\\Software\\Acm\xe9\\Draw' Note)
  expect_eq "\"$ansi\"" "$reg" "$what: Note in Windows-1252"
  info=$(lnkinfo "$(programs_of "$machine")/Acmé Draw/Acmé © €.lnk")
  expect_contains "$info" "Local path			: $(iconv -f CP1252 -t UTF-8 <<<"$3")\\Acmé.exe" \
    "$what: shortcut target"
  expect_contains "$info" "Description			: Dessin $chars" "$what: shortcut description"
  log=$(LC_ALL=C tr -d '\r' <"$app/SETUP.LOG")
  expect_contains "$log" "Destination directory: $3" "$what: log in Windows-1252"
}

# Unattended: the proposed directory.
machine=$WORK/unattended
run_in "$dist" ./setup 'Acmé*Draw' --machine="$machine" --unattended
expect_eq 0 "$STATUS" "exit status unattended [$ERR]"
expect_contains "$ERR" "Start, Programs and Acmé Draw." "final box in UTF-8"
expect_eq "Acmé Draw © €" "$(ls "$machine/drive_c/Program Files")" "ls of Program Files"
raw=$(LC_ALL=C grep -c $'\xe9' "$machine/registry.reg")
[ "$raw" -ge 3 ] || fail "registry.reg holds the byte 0xE9 on $raw lines"
raw=$(LC_ALL=C grep -c $'\x80' "$machine/registry.reg")
[ "$raw" -ge 2 ] || fail "registry.reg holds the byte 0x80 on $raw lines"
check_install "$machine" "Program Files/Acmé Draw © €" $'C:\\Program Files\\Acm\xe9 Draw \xa9 \x80' \
  unattended

# The uninstaller finds itself in its accented folder, and names the user's own file that stays.
uninstall='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Acm'$'\xe9'' Draw'
expect_eq $'"Acm\xe9 Draw"' "$(LC_ALL=C reg_value "$machine" "$uninstall" DisplayName)" "DisplayName"
app="$machine/drive_c/Program Files/Acmé Draw © €"
echo "mine" >"$app/notes é.txt"
chmod +x "$app/uninstall"
run_in "$WORK" "$app/uninstall" --machine="$machine" --unattended
expect_eq 0 "$STATUS" "exit status of the removal [$ERR]"
expect_contains "$ERR" "C:\Program Files\Acmé Draw © €\notes é.txt" "the user's file named"
expect_eq "notes é.txt" "$(ls "$app")" "what the removal leaves"

# Line mode: texts shown in UTF-8, a typed directory read in UTF-8.
machine=$WORK/line
printf '\n\nC:\\Ligne %s\n' "$chars" >"$WORK/input"
INPUT=$WORK/input run_in "$dist" ./setup 'Acmé*Draw' --machine="$machine"
expect_eq 0 "$STATUS" "exit status in line mode [$ERR]"
expect_contains "$OUT" "== Acmé Draw Setup ==" "line mode caption"
expect_contains "$OUT" "Bem-vindo à instalação de Acmé Draw." "line mode welcome text"
expect_contains "$OUT" "Termos: $chars." "line mode terms"
expect_contains "$OUT" "[C:\\Program Files\\Acmé Draw © €]" "line mode proposed directory"
check_install "$machine" "Ligne $chars" "C:\\Ligne $ansi" "line mode"

# The terminal wizard in tmux.
if ! command -v tmux >/dev/null; then
  echo "accented_names: ok, but the terminal wizard skipped (no tmux)"
  exit 0
fi
machine=$WORK/terminal
socket=setup-e2e-$$
tmux_() { tmux -u -L "$socket" "$@"; }
trap 'tmux_ kill-server 2>/dev/null || true; rm -rf "$WORK"' EXIT
tmux_ new-session -d -s wizard -x 100 -y 30 \
  "cd '$dist' && LANG=C.UTF-8 LC_ALL=C.UTF-8 ./setup 'Acmé*Draw' --machine='$machine';
   echo \$? >'$WORK/status'; sleep 60"
wait_for() {  # text what
  local i screen
  for i in $(seq 1 100); do
    screen=$(tmux_ capture-pane -p -t wizard)
    if grep -qF -- "$1" <<<"$screen"; then return 0; fi
    sleep 0.1
  done
  fail "$2: [$1] not on the screen:
$screen"
}
wait_for "Acmé Draw Setup" "terminal caption"
wait_for "Bem-vindo à instalação de Acmé Draw." "terminal welcome text"
wait_for "Caractères: $chars." "terminal welcome text's second line"
tmux_ send-keys -t wizard Enter
wait_for "Termos: $chars." "terminal terms"
tmux_ send-keys -t wizard Enter
wait_for "[C:\\Program Files\\Acmé Draw © €" "terminal proposed directory"
tmux_ send-keys -t wizard Tab Tab
tmux_ send-keys -t wizard -l "C:\\Écran $chars"
wait_for "[C:\\Écran $chars" "typed directory"
tmux_ send-keys -t wizard Enter
wait_for "Start, Programs and Acmé Draw." "terminal final box"
tmux_ send-keys -t wizard Enter
for i in $(seq 1 100); do
  [ -s "$WORK/status" ] && break
  sleep 0.1
done
expect_eq 0 "$(cat "$WORK/status" 2>/dev/null)" "exit status of the terminal wizard"
check_install "$machine" "Écran $chars" $'C:\\\xc9cran '"$ansi" "terminal wizard"
echo "accented_names: ok"
