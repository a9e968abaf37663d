# Faults while the uninstaller removes a product: a read-only file, registry values that cannot
# be deleted, and a temporary directory that fills while the log is written. Each is reported
# with status 4, what could not go is listed, and the rest is removed; nothing is lost.
if [ "${SETUP_E2E_NAMESPACE:-}" != 1 ]; then
  if [ "$(id -u)" = 0 ]; then
    namespace=(unshare --mount --propagation private)
  else
    namespace=(unshare --map-root-user --mount)
  fi
  if "${namespace[@]}" mount -t tmpfs tmpfs /mnt 2>/dev/null; then
    SETUP_E2E_NAMESPACE=1 exec "${namespace[@]}" bash "$0"
  fi
  SETUP_E2E_NAMESPACE=none
fi
source "$(dirname "$0")/support.bash"

dist=$WORK/dist
machine=$WORK/machine
mkdir -p "$dist/src"
echo one >"$dist/src/one.txt"
echo two >"$dist/src/two.txt"
printf '%s\r\n' 'F|one.txt|?APPDIR?\one.txt' 'F|two.txt|?APPDIR?\Sub\two.txt' \
  'K|SZ|HKEY_CURRENT_USER|Software|Fault Corp|Value|yes' >"$dist/script.txt"
"$PACK" build --uninstaller --name Fault --script "$dist/script.txt" --from "$dist/src" \
  --out "$dist" >/dev/null
app=$machine/drive_c/Fault
install() {
  run_in "$dist" ./setup Fault --unattended --machine="$machine" '--dir=C:\Fault'
  expect_eq 0 "$STATUS" "installation"
  chmod +x "$app/uninstall"
}
uninstall() { run_in "$app" "$app/uninstall" --unattended --machine="$machine"; }

# A read-only file stays, is named, and everything else goes.
install
chmod a-w "$app/Sub/two.txt"
uninstall
expect_eq 4 "$STATUS" "status with a read-only file"
expect_contains "$ERR" "Some elements could not be removed. You can remove them manually:" "the message"
expect_contains "$ERR" 'C:\Fault\Sub\two.txt' "the read-only file is listed"
expect_eq two "$(cat "$app/Sub/two.txt")" "the read-only file is intact"
[ ! -e "$app/one.txt" ] || fail "the other file stayed"
expect_eq "" "$(reg_value "$machine" 'HKEY_CURRENT_USER\Software\Fault Corp' Value)" "the value went"
grep -q 'Could not remove the file C:\\Fault\\Sub\\two.txt' "$machine/drive_c/Windows/Temp/UNINSTALL.LOG" ||
  fail "the log tells the read-only file"
chmod u+w "$app/Sub/two.txt"
rm -rf "$app"

# A registry that cannot be changed: the values are listed, the files go.
install
chmod a-w "$machine/registry.reg"
uninstall
chmod u+w "$machine/registry.reg"
expect_eq 4 "$STATUS" "status with a read-only registry"
expect_contains "$ERR" 'HKEY_CURRENT_USER\Software\Fault Corp\Value' "the value is listed"
expect_eq '"yes"' "$(reg_value "$machine" 'HKEY_CURRENT_USER\Software\Fault Corp' Value)" "the value is kept"
[ ! -e "$app/one.txt" ] || fail "files stayed with a read-only registry"
head -1 "$machine/registry.reg" | grep -q '^REGEDIT4' || fail "registry.reg damaged"

# The temporary directory full while the log is written: told, and the removal still done.
if [ "${SETUP_E2E_NAMESPACE:-}" != 1 ]; then
  echo "uninstall_faults: full disk skipped, no private mount namespace here"
  echo "uninstall_faults: ok"
  exit 0
fi
install
temp=$machine/drive_c/Windows/Temp
mount -t tmpfs -o size=64k tmpfs "$temp"
trap 'umount "$temp" 2>/dev/null || true; rm -rf "$WORK"' EXIT
head -c 2000000 /dev/zero >"$temp/filler" 2>/dev/null || true
uninstall
umount "$temp"
expect_eq 4 "$STATUS" "status with a full temporary disk"
expect_contains "$ERR" "could not be written completely" "the lost log is told"
[ ! -e "$app" ] || fail "the removal stopped on the full disk"
expect_eq "" "$(reg_value "$machine" 'HKEY_CURRENT_USER\Software\Fault Corp' Value)" "the value went"
echo "uninstall_faults: ok"
