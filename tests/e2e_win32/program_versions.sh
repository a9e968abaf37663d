# Setup.exe, setup-pack.exe and Uninstall.exe answer --version alike, with the project's one
# version, and name the switch in their --help.
source "$(dirname "$0")/support.bash"

mkdir "$WORK/empty"
for program in Setup.exe setup-pack.exe Uninstall.exe; do cp "$BUILD_DIR/$program" "$WORK/empty/"; done
run_program "$WORK/empty" Setup.exe --version
version=${OUT#Setup }
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "Setup.exe --version says '$OUT'"
for pair in setup-pack.exe:setup-pack Uninstall.exe:Uninstall Setup.exe:Setup; do
  run_program "$WORK/empty" "${pair%:*}" --version
  expect_eq "0 ${pair#*:} $version" "$STATUS $OUT" "${pair%:*} --version"
  run_program "$WORK/empty" "${pair%:*}" --help
  [[ "$STATUS $OUT" == "0 Usage"*--version* ]] || fail "${pair%:*} --help does not name --version"
done
echo "program_versions: ok"
