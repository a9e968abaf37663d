# What Windows reads from the programs' files before they run: the rights each manifest asks
# for (setup-pack.exe, a console tool with "setup" in its name, must say asInvoker, or installer
# detection demands elevation on a build agent), per-monitor DPI awareness for the programs with
# dialogs, and each program's own version resource (Windows shows it when it asks for rights).
set -euo pipefail
: "${BUILD_DIR:?BUILD_DIR must name the win32 build folder}"

fail() { echo "FAIL: $*" >&2; exit 1; }
# Whether a program's file holds the text, as ASCII (manifests) or as UTF-16LE (version strings).
holds_ascii() { grep -qaF -- "$2" "$BUILD_DIR/$1"; }
holds_utf16() {
  python3 -c 'import sys; sys.exit(0 if sys.argv[2].encode("utf-16-le") in open(sys.argv[1], "rb").read() else 1)' \
    "$BUILD_DIR/$1" "$2"
}

holds_ascii setup-pack.exe 'level="asInvoker"' || fail "setup-pack.exe has no asInvoker manifest"
! holds_ascii setup-pack.exe 'requireAdministrator' || fail "setup-pack.exe asks for elevation"
for program in Setup.exe Uninstall.exe SetupStub.exe; do
  holds_ascii "$program" 'level="requireAdministrator"' || fail "$program does not ask for elevation"
  holds_ascii "$program" 'PerMonitorV2' || fail "$program is not per-monitor DPI aware"
done
for pair in Setup.exe:Setup.exe Uninstall.exe:Uninstall.exe SetupStub.exe:SetupStub.exe \
  setup-pack.exe:setup-pack.exe; do
  program=${pair%%:*}
  holds_utf16 "$program" "${pair#*:}" || fail "$program's version resource does not name ${pair#*:}"
done
! holds_utf16 Uninstall.exe "installs a product" || fail "Uninstall.exe describes itself as Setup.exe"
echo "deployment_resources: ok"
