# A distribution folder (or a Downloads folder) holding files named like libraries the programs
# use, version.dll, zlib1.dll and comctl32.dll, that would each leave a marker when loaded:
# Setup.exe starts and installs as usual, and loads none of them. Wine is told to prefer such a
# native file, as Windows does for a library beside the program that is not a KnownDLL.
# Wine's own user32.dll imports some of these names, and Wine resolves a system library's imports
# beside the program too (Windows takes a KnownDLL's imports from the system directory): for
# those names the marker shows Wine's loader, not Setup.exe, and is not held against it; the
# static import list (system_dlls_only) covers them.
source "$(dirname "$0")/support.bash"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;version,zlib1,comctl32=n,b"

wine_user32_imports=$(i686-w64-mingw32-objdump -p "$DRIVE_C/windows/system32/user32.dll" |
  awk '/DLL Name:/ { print tolower($3) }' | tr '\n' ' ')

dist=$WORK/dist
make_sample_dist "$dist"
planted="version.dll zlib1.dll comctl32.dll"
for name in $planted; do cp "$BUILD_DIR/planted.dll" "$dist/$name"; done

run_setup "$dist" 'Sample*Notes' --unattended
expect_eq 0 "$STATUS" "Setup.exe beside planted libraries: $ERR"
[ -f "$DRIVE_C/Program Files/Sample Notes/SETUP.LOG" ] || fail "nothing installed"
checked=0
for name in $planted; do
  case " $wine_user32_imports " in *" $name "*) continue ;; esac
  checked=$((checked + 1))
  [ ! -e "$dist/$name.loaded" ] || fail "Setup.exe loaded the planted $name"
done
[ $checked -gt 0 ] || fail "no planted name left to check"
echo "planted_libraries: ok ($checked names checked)"
