# Authoring a product: setup-pack check names each mistake an author makes by its line, build
# refuses scripts the installer would misread and mends line ends and code pages, and a starter
# script from init installs its folder byte for byte.
source "$(dirname "$0")/support.bash"

cd "$WORK"
machine=$WORK/machine
export SETUP_MACHINE=$machine
mkdir -p src
echo "the program" >src/AcmeDraw.exe
echo "a library" >src/zlib1.dll
echo "a control" >src/Grid.OCX

good=('X|?PRGFDIR?\Acme Draw' 'F|AcmeDraw.exe|?APPDIR?\AcmeDraw.exe'
  'L|?STARTMENU?\Acme Draw\Acme Draw.lnk|?APPDIR?\AcmeDraw.exe|Acme Draw')

# Each mistake goes in as line 3 of an otherwise clean script: "line|expected diagnostic".
mistakes=(
  '|3:1: error: an empty line: the installer stops reading'
  '   |3:1: error: a line of blanks'
  'Q|whatever|3:1: error: '"'"'Q'"'"' is no line kind'
  ' F|AcmeDraw.exe|?APPDIR?\x.exe|3:1: error: '"'"' '"'"' (a blank) is no line kind'
  'L|?DESKTOP?\Acme.lnk|?APPDIR?\AcmeDraw.exe|Acme|3:3: warning: ?DESKTOP? is not a macro'
  'K|SZ|HKEY_CURRENT_USER|Software|Acme|Path|?appdir?|3:43: warning: ?appdir? is not a macro'
  'K|dword|HKEY_CURRENT_USER|Software|Acme|Runs|1|3:3: error: the type '"'"'dword'"'"' is neither SZ nor DWORD'
  'K|SZ|HKLM|Software|Acme|Path|?APPDIR?|3:6: error: '"'"'HKLM'"'"' is not a root key name'
  'K|SZ|HKEY_LOCAL_MACHINE\Software\Acme|Sub|Path|x|3:6: error: '"'"'HKEY_LOCAL_MACHINE\Software\Acme'"'"' is not a root key name'
  'K|SZ|HKEY_LOCAL_MACHINE|Software|Acme|Tools|Draw | Paint | Print|3:45: warning: '"'"'Draw '"'"' begins or ends with a blank'
  'F ?PRGFDIR?\x.cmp ?APPDIR?\x.exe|3:3: error: ?PRGFDIR? expands to '"'"'C:\Program Files'"'"' on this machine, which holds the separator'
  'K ?APPDIR? HKEY_CURRENT_USER Software Acme Path|3:3: error: ?APPDIR? expands to '"'"'C:\Program Files\Acme Draw'"'"' as the proposed installation directory'
  'L|AcmeDraw.lnk|?APPDIR?\AcmeDraw.exe|Acme Draw|3:3: error: the link path '"'"'AcmeDraw.lnk'"'"' has no folder'
  'L|?STARTMENU?\Acme\Acme|?APPDIR?\AcmeDraw.exe|Acme Draw|3:3: warning: the link path '"'"'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Acme\Acme'"'"' does not end in .lnk'
  'L|?STARTMENU?\Acme\A.lnk|?APPDIR?\AcmeDraw.exe|3:25: error: the L line has a link path and one more field'
  'H||3:1: error: an empty H line'
  'H| |3:3: error: an empty hidden name'
  'H|Dec|3:3: warning: the hidden name '"'"'Dec'"'"' hides unrelated log lines'
  'H|Installation|3:3: warning: the hidden name '"'"'Installation'"'"' hides unrelated log lines'
  'H|C:|3:3: warning: the hidden name '"'"'C:'"'"' hides unrelated log lines: it names a drive'
  'K|DWORD|HKEY_CURRENT_USER|Software|Acme|Runs|12abc|3:46: error: '"'"'12abc'"'"' is not a whole number: the installer stores 12'
  'K|DWORD|HKEY_CURRENT_USER|Software|Acme|Runs|abc|3:46: error: '"'"'abc'"'"' is not a number'
  'K|DWORD|HKEY_CURRENT_USER|Software|Acme|Runs|4294967296|3:46: error: '"'"'4294967296'"'"' does not fit a DWORD'
  'K|SZ|HKEY_CURRENT_USER|Path|x|3:24: error: the key path has no subkey'
  'K|SZ|HKEY_CURRENT_USER|x|3:24: error: the key path '"'"'HKEY_CURRENT_USER'"'"' has no value name'
  'F|readme.txt|3:3: error: the F line has no separator'
  'F||?APPDIR?\x.txt|3:3: error: the F line names no source file'
  'F|AcmeDraw.exe||3:16: error: the F line names no destination'
  'F|../AcmeDraw.exe|?APPDIR?\x.exe|3:3: error: the source '"'"'../AcmeDraw.exe'"'"' must be a relative name'
  'F|gone.exe|?APPDIR?\gone.exe|3:3: error: the source '"'"'gone.exe'"'"' is missing'
  'F|AcmeDraw.exe|?APPDIR?\AcmeDraw.EXE|3:16: warning: line 2 already installs'
  'F|AcmeDraw.exe|?WINDOWS?\acme.dll|3:16: warning: the shared library '"'"'C:\Windows\acme.dll'"'"' goes outside'
  'X|C:\Acme|3:1: warning: another X line (the first is line 1)'
  'L|?STARTMENU?\Acme\D.lnk|?APPDIR?\AcmeDraw.exe|Draw | Paint|3:47: error: the L line has more than three fields'
  'L|?STARTMENU?\Acme\D.lnk|"?APPDIR?\AcmeDraw.exe" --tips|Draw|3:26: error: the target '"'"'"C:\Program Files\Acme Draw\AcmeDraw.exe" --tips'"'"' holds quotes'
  'L|?STARTMENU?\Acme\D.lnk|?APPDIR?\AcmeDraw.exe --tips|Draw|3:26: error: the target '"'"'C:\Program Files\Acme Draw\AcmeDraw.exe --tips'"'"' holds arguments'
  'F|AcmeDraw.exe|?APPDIR?AcmeDraw.exe|3:16: warning: ?APPDIR? is directly followed by a name'
  'F|zlib1.dll|?APPDIR?\zlib1.dll|3:3: note: build stores the payload '"'"'zlib1.dll'"'"' as '"'"'zlib1.dl_'"'"''
  'F|Grid.OCX|?SYSTEM?\Grid.ocx|3:3: note: build stores the payload '"'"'Grid.OCX'"'"' as '"'"'Grid.OC_'"'"''
  "F|AcmeDraw.exe|?APPDIR?\\$(printf 'x%.0s' {1..520})|3:519: error: the line is 544 characters long"
)
for case in "${mistakes[@]}"; do
  line=${case%|*}
  expected=${case##*|}
  printf '%s\r\n' "${good[@]:0:2}" "$line" "${good[2]}" >script.txt
  run_in "$WORK" "$PACK" check script.txt --from src
  expect_contains "$OUT" "script.txt:$expected" "check of [$line]"
  if [[ $expected == *": error: "* ]]; then
    expect_eq 1 "$STATUS" "exit status for [$line]"
  else
    expect_eq 0 "$STATUS" "exit status for [$line]"
  fi
  expect_eq 1 "$(grep -c -- ': \(error\|warning\|note\): ' <<<"$OUT")" "one diagnostic for [$line]"
done

# Mistakes of the file as a whole: a trailing CR LF, LF line ends, no X line.
printf '%s\r\n' "${good[@]}" '' >script.txt
run_in "$WORK" "$PACK" check script.txt
expect_contains "$OUT" "script.txt:4:1: error: an empty line at the end of the file" "trailing CR LF"
expect_contains "$OUT" "hint: remove the extra line end after line 3" "trailing CR LF hint"
expect_eq "script.txt: 1 error, 0 warnings" "$(tail -n 1 <<<"$OUT")" "count line"
printf '%s\n' "${good[@]}" >lf.txt
run_in "$WORK" "$PACK" check lf.txt --from src
expect_eq 0 "$STATUS" "exit status of an LF script"
expect_contains "$OUT" "lf.txt:1:1: warning: the line ends in a line feed without CR (and 2 more lines)" "LF"
printf '%s\r\n' "${good[@]:1}" >nox.txt
run_in "$WORK" "$PACK" check nox.txt
expect_contains "$OUT" "nox.txt:1:1: warning: the script has no X line" "no X line"

# The sample checks clean; bad usage is status 2.
run_in "$WORK" "$PACK" check "$SAMPLE/setup.txt" --from "$SAMPLE/files"
expect_eq 0 "$STATUS" "exit status of the sample"
expect_eq "$SAMPLE/setup.txt: 0 errors, 0 warnings" "$OUT" "the sample checks clean"
for usage in "check" "check a b" "check script.txt --bogus" "check script.txt --from"; do
  run_in "$WORK" "$PACK" $usage
  expect_eq 2 "$STATUS" "exit status of '$usage'"
done

# build refuses a script with an error and writes nothing.
printf '%s\r\n' "${good[0]}" '' "${good[@]:1}" >blank.txt
run_in "$WORK" "$PACK" build --script blank.txt --from src --out dist-blank
expect_eq 1 "$STATUS" "exit status of a build with a blank line"
expect_contains "$ERR" "blank.txt:2:1: error: an empty line" "the build names the line"
[ ! -e dist-blank ] || fail "a refused build wrote its distribution folder"

# An LF script with UTF-8 texts installs exactly what the CR LF script with Windows-1252 texts
# installs; the build says what it changed, and only what it copied.
texts=('K|SZ|HKEY_CURRENT_USER|Software|Acme|Motto|Café — déjà vu')
printf '%s\n' "${good[@]}" "${texts[@]}" >lf.txt
printf '%s\r\n' "${good[@]}" "${texts[@]}" | iconv -f UTF-8 -t WINDOWS-1252 >crlf.txt
printf 'Welcome — to Acme\nSecond line\n' >welcome-utf8.txt
printf 'Welcome — to Acme\r\nSecond line\r\n' | iconv -f UTF-8 -t WINDOWS-1252 >welcome-1252.txt
run_in "$WORK" "$PACK" build --script lf.txt --from src --out dist-lf --welcome welcome-utf8.txt \
  --terms welcome-utf8.txt
expect_eq 0 "$STATUS" "exit status of the LF build ($ERR)"
expect_contains "$OUT" "lf.txt: converted from UTF-8 to Windows-1252; 4 lines ending in LF alone written with CR LF" "script note"
expect_contains "$OUT" "; script, welcome text, terms and setup" "summary of the LF build"
cmp -s welcome-1252.txt dist-lf/Setup2.txt || fail "the welcome text was not made Windows-1252 with CR LF"
run_in "$WORK" "$PACK" build --script crlf.txt --from src --out dist-crlf
expect_eq 0 "$STATUS" "exit status of the CR LF build"
expect_contains "$ERR" "warning: no --welcome FILE" "missing welcome text"
expect_contains "$ERR" "warning: no --terms FILE" "missing terms"
expect_contains "$OUT" "; script and setup" "summary without texts"
cmp -s dist-lf/setup.drc dist-crlf/setup.drc || fail "LF and CR LF scripts gave different setup.drc"
for form in lf crlf; do
  run_in "$WORK/dist-$form" ./setup Acme --unattended --machine="$WORK/m-$form"
  expect_eq 0 "$STATUS" "installation of the $form build"
done
diff -r -x SETUP.LOG -x registry.reg "$WORK/m-lf" "$WORK/m-crlf" >/dev/null ||
  fail "LF and CR LF builds installed different files"
cmp -s "$WORK/m-lf/registry.reg" "$WORK/m-crlf/registry.reg" || fail "different registries"
expect_eq '"Caf'$'\xe9'' '$'\x97'' d'$'\xe9''j'$'\xe0'' vu"' \
  "$(reg_value "$WORK/m-lf" 'HKEY_CURRENT_USER\Software\Acme' Motto)" "the converted value"
[ -f "$WORK/m-lf/drive_c/Program Files/Acme Draw/AcmeDraw.exe" ] || fail "LF script lost a letter"

# A character Windows-1252 has no place for stops the build, naming line and column.
printf 'Fine\nA snowman \xe2\x98\x83 here\n' >terms-snow.txt
run_in "$WORK" "$PACK" build --script crlf.txt --from src --out dist-snow --terms terms-snow.txt
expect_eq 1 "$STATUS" "exit status with an unmappable character"
expect_contains "$ERR" "terms-snow.txt:2:11: error: U+2603" "the character is named"
[ ! -e dist-snow ] || fail "a refused build wrote its distribution folder"

# init: a starter script that checks clean and installs the folder byte for byte.
mkdir -p product/docs/en "product/sub dir" product/plugins/filters
# A private library in folders of its own, which the installation has to create.
cp "$SAMPLE/files/system/snrt12.dll" product/plugins/filters/blur.dll
cp "$SAMPLE/files/SampleNotes.exe" product/Acme.exe
cp "$SAMPLE/files/SampleNotes.exe" product/Uninstall.exe
head -c 70000 /dev/urandom >product/data.bin
echo "manual" >product/docs/en/Manual.TXT
echo "spaced" >"product/sub dir/a b.txt"
run_in "$WORK" "$PACK" init --from product --name 'Acme Suite' --vendor 'Acme Corp' --version 2.0 \
  --out starter.txt
expect_eq 0 "$STATUS" "exit status of init ($ERR)"
file starter.txt | grep -q CRLF || fail "the starter script does not end its lines in CR LF"
run_in "$WORK" "$PACK" init --from product --name 'Acme Suite' --out starter.txt
expect_eq 1 "$STATUS" "init over an existing script"
run_in "$WORK" "$PACK" check starter.txt --from product
expect_eq "starter.txt: 0 errors, 0 warnings" "$OUT" "the starter script checks clean"
run_in "$WORK" "$PACK" build --script starter.txt --from product --out dist-init
expect_eq 0 "$STATUS" "build of the starter script"
run_in "$WORK/dist-init" ./setup Acme*Suite --unattended --machine="$WORK/m-init"
expect_eq 0 "$STATUS" "installation of the starter script"
app="$WORK/m-init/drive_c/Program Files/Acme Suite"
(cd product && find . -type f | sort) >expected-files
(cd "$app" && find . -type f ! -name SETUP.LOG | sort) >installed-files
expect_eq "$(cat expected-files)" "$(cat installed-files)" "installed file names"
while IFS= read -r file; do
  cmp -s "product/$file" "$app/$file" || fail "installed $file differs"
done <expected-files
programs="$WORK/m-init/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Acme Suite"
[ -f "$programs/Acme.lnk" ] && [ -f "$programs/Uninstall.lnk" ] || fail "no shortcuts"
uninstall='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Acme Suite'
expect_eq '"Acme Suite"' "$(reg_value "$WORK/m-init" "$uninstall" DisplayName)" "DisplayName"
expect_eq '"2.0"' "$(reg_value "$WORK/m-init" "$uninstall" DisplayVersion)" "DisplayVersion"
expect_eq '"Acme Corp"' "$(reg_value "$WORK/m-init" "$uninstall" Publisher)" "Publisher"
expect_eq '"C:\\Program Files\\Acme Suite"' \
  "$(reg_value "$WORK/m-init" "$uninstall" InstallLocation)" "InstallLocation"
[ ! -e "$machine" ] || fail "check created the machine folder it only reads"
echo "script_authoring: ok"
