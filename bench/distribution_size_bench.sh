# The fixed size of a distribution: what every product's distribution carries whatever its
# payload (Setup.exe and the uninstaller as setup-pack build --uninstaller ships it, compressed),
# and the host programs as shipped, against the goals (0.5 MB and 2.5 MB each).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
win32=${WIN32_BUILD_DIR:-$root/build/win32}
host=${HOST_BUILD_DIR:-$root/build/host}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mb() { awk -v b="$1" 'BEGIN { printf "%.2f MB", b / 1048576 }'; }
line() {  # what bytes goal-bytes
  local verdict=met
  [ "$2" -le "$3" ] || verdict="NOT met"
  printf '%-46s %10s  goal %s  %s (%.2fx)\n' "$1" "$(mb "$2")" "$(mb "$3")" "$verdict" \
    "$(awk -v a="$2" -v b="$3" 'BEGIN { print a / b }')"
}

"$host/setup-pack" compress --codec xz "$win32/Uninstall.exe" "$work/uninstall-program.cmp" >/dev/null
setup_exe=$(stat -c %s "$win32/Setup.exe")
uninstaller=$(stat -c %s "$work/uninstall-program.cmp")
echo "Setup.exe $(mb "$setup_exe"), the uninstaller compressed $(mb "$uninstaller")"
line "Windows distribution, fixed part" $((setup_exe + uninstaller)) 524288
line "host setup as shipped" "$(stat -c %s "$host/setup")" 2621440
line "host uninstall as shipped" "$(stat -c %s "$host/uninstall")" 2621440
