#!/usr/bin/env bash
# Builds everything, packs the sample product with the uninstaller and installs it into a fresh
# machine folder: with the full-screen wizard on a terminal, unattended otherwise. Then shows what
# was installed and how to remove it.
#
#   bash tools/install-sample.sh [--unattended] [--dir=PATH]
#
# The machine folder is build/sample-machine (drive_c/ is C:\, registry.reg the registry); the
# distribution folder is build/sample-dist. Options are passed to the installer.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# SETUP_BUILD_DIR names a build that already holds setup and setup-pack; nothing is built then.
if [ -n "${SETUP_BUILD_DIR:-}" ]; then
  build=$SETUP_BUILD_DIR
else
  bash tools/ci/install-deps.sh
  cmake --preset host >/dev/null
  cmake --build --preset host
  build=$root/build/host
fi
dist=$root/build/sample-dist
machine=$root/build/sample-machine
rm -rf "$dist" "$machine"

"$build/setup-pack" build --script examples/sample/setup.txt --from examples/sample/files \
  --out "$dist" --welcome examples/sample/welcome.txt --terms examples/sample/terms.txt \
  --uninstaller --name 'Sample Notes'

# A fresh machine, as it is before the installation: its registry is the baseline of what the
# installation adds. (No setup.drc in an empty folder: the installer only prepares the machine.)
empty=$(mktemp -d)
trap 'rm -rf "$empty" "$baseline"' EXIT
baseline=$(mktemp)
(cd "$empty" && "$build/setup" --machine="$machine" --unattended >/dev/null 2>&1) || true
cp "$machine/registry.reg" "$baseline"

mode=()
if [ ! -t 0 ] || [ ! -t 1 ]; then mode=(--unattended); fi
echo
echo "Installing Sample Notes into $machine ${mode[*]:+(unattended)}"
status=0
(cd "$dist" && ./setup Sample*Notes --machine="$machine" "${mode[@]}" "$@") || status=$?
echo
case $status in
  0) echo "Installation completed." ;;
  2) echo "Installation cancelled (exit status 2)." ;;
  4) echo "Installation aborted (exit status 4)." ;;
  *) echo "The installer could not start (exit status $status)." ;;
esac

# Native paths below the machine folder shown as Windows paths.
windows_path() { sed -e "s|^$machine/drive_\(.\)|\U\1:|" -e 's|/|\\|g'; }

echo
echo "Files:"
(cd "$machine" && find drive_* -type f ! -name '*.lnk' | sort) | sed "s|^|$machine/|" |
  windows_path | sed 's/^/  /'

echo
echo "Registry values added (REGEDIT4, $machine/registry.reg):"
awk -v base="$baseline" '
  function clean(text) { sub(/\r$/, "", text); return text }
  BEGIN { while ((getline line < base) > 0) { line = clean(line); if (line ~ /^\[/) key = line; else seen[key "\t" line] = 1 }; key = "" }
  { $0 = clean($0) }
  /^\[/ { key = $0; shown = 0; next }
  key != "" && $0 != "" && !((key "\t" $0) in seen) { if (!shown) { print "  " key; shown = 1 } print "    " $0 }
' "$machine/registry.reg"

echo
echo "Shortcuts:"
while IFS= read -r link; do
  echo "  $(printf '%s\n' "$link" | windows_path)"
  if command -v lnkinfo >/dev/null; then
    lnkinfo "$link" 2>/dev/null | grep -E '^\s*(Description|Local path|Relative path)\s*:' |
      sed -e 's/^\s*/      /' -e 's/\s*:\s*/: /' || true
  fi
done < <(find "$machine" -name '*.lnk' | sort)

echo
log=$(find "$machine" -name SETUP.LOG | head -n 1)
if [ -n "$log" ]; then
  echo "Log: $log"
else
  echo "Log: none (the installation page was not reached)"
fi

# The system's list starts the uninstaller with its UninstallString (a Windows path).
app=$(find "$machine/drive_c" -maxdepth 3 -type d -name 'Sample Notes' ! -path '*/Start Menu/*' |
  head -n 1)
if [ -n "$app" ] && [ -f "$app/uninstall" ]; then
  echo "Remove it with: '$app/uninstall' --machine=$machine"
fi
exit $status
