# Every program answers --version as setup does, with the project's one version, and names the
# switch in its --help.
source "$(dirname "$0")/support.bash"

mkdir -p "$WORK/empty"
run_in "$WORK/empty" "$SETUP" --version
version=${OUT#Setup }
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "setup --version says '$OUT'"
for pair in "$PACK:setup-pack" "$BUILD_DIR/uninstall:Uninstall" "$SETUP:Setup"; do
  run_in "$WORK/empty" "${pair%:*}" --version
  expect_eq "0 ${pair#*:} $version" "$STATUS $OUT" "${pair%:*} --version"
  run_in "$WORK/empty" "${pair%:*}" --help
  [[ "$STATUS $OUT" == "0 Usage"*--version* ]] || fail "${pair%:*} --help does not name --version"
done
echo "program_versions: ok"
