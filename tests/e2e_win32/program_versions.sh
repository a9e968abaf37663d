# Setup.exe, setup-pack.exe and Uninstall.exe answer --version alike, with the one version of
# the project, and name the switch in their --help.
source "$(dirname "$0")/support.bash"

mkdir "$WORK/empty"
for program in Setup.exe setup-pack.exe Uninstall.exe; do cp "$BUILD_DIR/$program" "$WORK/empty/"; done
run_program "$WORK/empty" Setup.exe --version
expect_eq 0 "$STATUS" "Setup.exe --version"
version=${OUT#Setup }
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "Setup.exe --version says '$OUT'"
run_program "$WORK/empty" setup-pack.exe --version
expect_eq "0 setup-pack $version" "$STATUS $OUT" "setup-pack.exe --version"
run_program "$WORK/empty" Uninstall.exe --version
expect_eq "0 Uninstall $version" "$STATUS $OUT" "Uninstall.exe --version"
for program in Setup.exe setup-pack.exe Uninstall.exe; do
  run_program "$WORK/empty" "$program" --help
  expect_eq 0 "$STATUS" "$program --help"
  expect_contains "$OUT" "--version" "$program --help names --version"
done
echo "program_versions: ok"
