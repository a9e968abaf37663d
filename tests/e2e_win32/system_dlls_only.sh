# Setup.exe must run on a bare Windows: it may import only DLLs that every Windows has (no
# MinGW runtime DLLs). The same holds for setup-pack.exe and Uninstall.exe.
# The programs a distribution ships import statically only libraries that Windows always takes
# from the system directory (KnownDLLs); any other name would first be looked for beside the
# program, where a planted file would run with the installer's rights.
set -euo pipefail
: "${BUILD_DIR:?BUILD_DIR must name the win32 build folder}"

imports_of() { i686-w64-mingw32-objdump -p "$BUILD_DIR/$1" | awk '/DLL Name:/ { print tolower($3) }'; }

allowed=' advapi32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll shell32.dll user32.dll version.dll '
for program in Setup.exe setup-pack.exe Uninstall.exe; do
  imports=$(imports_of "$program")
  [ -n "$imports" ] || { echo "FAIL: no imports read from $program" >&2; exit 1; }
  for dll in $imports; do
    case $allowed in
      *" $dll "*) ;;
      *) echo "FAIL: $program needs $dll, which a bare Windows does not have" >&2; exit 1 ;;
    esac
  done
done

known=' advapi32.dll comdlg32.dll gdi32.dll imm32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll rpcrt4.dll shell32.dll shlwapi.dll user32.dll ws2_32.dll '
for program in Setup.exe Uninstall.exe SetupStub.exe setup-pack.exe; do
  imports=$(imports_of "$program")
  [ -n "$imports" ] || { echo "FAIL: no imports read from $program" >&2; exit 1; }
  for dll in $imports; do
    case $known in
      *" $dll "*) ;;
      *) echo "FAIL: $program imports $dll statically, which Windows may load from the program's folder" >&2; exit 1 ;;
    esac
  done
done
echo "system_dlls_only: ok"
