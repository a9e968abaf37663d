# The toolkit installed with cmake --install into a prefix: the programs, documents and manual
# pages where a Linux system keeps them, and a setup-pack that finds all it needs from there
# without options: it builds, bundles and installs the sample, whose uninstaller removes it.
source "$(dirname "$0")/support.bash"

prefix=$WORK/prefix
cmake --install "$BUILD_DIR" --prefix "$prefix" >"$WORK/install.out" ||
  fail "cmake --install failed: $(cat "$WORK/install.out")"
for file in bin/setup bin/setup-pack bin/uninstall bin/setup-bundle-stub share/doc/setup/docs/script.md \
  share/doc/setup/examples/sample/setup.txt; do
  [ -f "$prefix/$file" ] || fail "$file is not installed"
done
# A sanitizer build makes no manual pages: help2man would run its instrumented programs.
if command -v help2man >/dev/null && ! grep -q '^CMAKE_CXX_FLAGS:.*-fsanitize' "$BUILD_DIR/CMakeCache.txt"; then
  for page in setup setup-pack uninstall; do
    grep -qF '\-\-version' "$prefix/share/man/man1/$page.1" || fail "no manual page for $page"
  done
fi

# From the prefix alone: the sample built with the uninstaller, bundled and installed.
cd "$WORK"
PATH=$prefix/bin:$PATH
docs=$prefix/share/doc/setup/examples/sample
setup-pack build --script "$docs/setup.txt" --from "$docs/files" --out dist --welcome \
  "$docs/welcome.txt" --terms "$docs/terms.txt" --uninstaller --name 'Sample Notes' >/dev/null ||
  fail "setup-pack build from the prefix"
setup-pack bundle dist --out sample-setup --name 'Sample Notes' >/dev/null ||
  fail "setup-pack bundle from the prefix"
run_in "$WORK" ./sample-setup --machine="$WORK/machine" --unattended
expect_eq 0 "$STATUS" "the bundle installs: $ERR"
app="$WORK/machine/drive_c/Program Files/Sample Notes"
expect_sample_files "$app"
chmod +x "$app/uninstall"
run_in "$WORK" "$app/uninstall" --machine="$WORK/machine" --unattended
expect_eq 0 "$STATUS" "the installed uninstaller removes it: $ERR"
[ ! -e "$app/SampleNotes.exe" ] || fail "the sample is still installed"
# With a win32 build beside, its programs are where setup-pack looks for them: a Windows
# distribution and its one-file installer need no more than --setup.
if [ -f "$SOURCE_DIR/build/win32/Setup.exe" ]; then
  setup-pack build --script "$docs/setup.txt" --from "$docs/files" --out windist \
    --setup "$prefix/bin/Setup.exe" --uninstaller --name 'Sample Notes' >/dev/null 2>&1 ||
    fail "a Windows distribution from the prefix"
  [ -f windist/Setup.exe ] && [ -f windist/uninstall-program.cmp ] || fail "no Windows programs"
  setup-pack bundle windist --out SampleSetup.exe --name 'Sample Notes' --target win32 >/dev/null ||
    fail "a Windows bundle from the prefix"
fi
echo "toolkit_install: ok"
