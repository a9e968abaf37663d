# Every program answers --version alike, with the one version of the project, and names the
# switch in its --help.
source "$(dirname "$0")/support.bash"

mkdir -p "$WORK/empty"
run_in "$WORK/empty" "$SETUP" --version
expect_eq 0 "$STATUS" "setup --version"
version=${OUT#Setup }
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "setup --version says '$OUT'"
run_in "$WORK/empty" "$PACK" --version
expect_eq 0 "$STATUS" "setup-pack --version"
expect_eq "setup-pack $version" "$OUT" "setup-pack --version"
run_in "$WORK/empty" "$BUILD_DIR/uninstall" --version
expect_eq 0 "$STATUS" "uninstall --version"
expect_eq "Uninstall $version" "$OUT" "uninstall --version"
for program in "$SETUP" "$PACK" "$BUILD_DIR/uninstall"; do
  run_in "$WORK/empty" "$program" --help
  expect_eq 0 "$STATUS" "$(basename "$program") --help"
  expect_contains "$OUT" "--version" "$(basename "$program") --help names --version"
done
echo "program_versions: ok"
