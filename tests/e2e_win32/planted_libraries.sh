# A distribution folder (or a Downloads folder) holding files named like libraries the programs
# use, version.dll and zlib1.dll, that would each leave a marker when loaded: Setup.exe starts and
# installs as usual, and neither library is loaded. Wine is told to prefer such a native file, as
# Windows does for a library beside the program.
source "$(dirname "$0")/support.bash"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;version,zlib1=n,b"

dist=$WORK/dist
make_sample_dist "$dist"
for name in version.dll zlib1.dll; do cp "$BUILD_DIR/planted.dll" "$dist/$name"; done

run_setup "$dist" 'Sample*Notes' --unattended
expect_eq 0 "$STATUS" "Setup.exe beside planted libraries: $ERR"
[ -f "$DRIVE_C/Program Files/Sample Notes/SETUP.LOG" ] || fail "nothing installed"
for name in version.dll zlib1.dll; do
  [ ! -e "$dist/$name.loaded" ] || fail "Setup.exe loaded the planted $name"
done
echo "planted_libraries: ok"
