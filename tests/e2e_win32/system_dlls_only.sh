# Setup.exe must run on a bare Windows: it may import only DLLs that every Windows has (no
# MinGW runtime DLLs). The same holds for setup-pack.exe and Uninstall.exe.
set -euo pipefail
: "${BUILD_DIR:?BUILD_DIR must name the win32 build folder}"

allowed=' advapi32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll shell32.dll user32.dll version.dll '
for program in Setup.exe setup-pack.exe Uninstall.exe; do
  imports=$(i686-w64-mingw32-objdump -p "$BUILD_DIR/$program" | awk '/DLL Name:/ { print tolower($3) }')
  [ -n "$imports" ] || { echo "FAIL: no imports read from $program" >&2; exit 1; }
  for dll in $imports; do
    case $allowed in
      *" $dll "*) ;;
      *) echo "FAIL: $program needs $dll, which a bare Windows does not have" >&2; exit 1 ;;
    esac
  done
done
echo "system_dlls_only: ok"
