# The disk filling up while a file is expanded, and a read-only disk: the machine folder lies on
# a small tmpfs of its own. The run must end as aborted and say why, never as a success; with
# room again the same run completes, and on a read-only mount nothing changes. Mounting needs a
# private mount namespace (root, or a user where user namespaces are allowed); without one the
# test is skipped, and the in-process fault tests still cover full disks.
if [ "${SETUP_E2E_NAMESPACE:-}" != 1 ]; then
  if [ "$(id -u)" = 0 ]; then
    namespace=(unshare --mount --propagation private)
  else
    namespace=(unshare --map-root-user --mount)
  fi
  if ! "${namespace[@]}" mount -t tmpfs tmpfs /mnt 2>/dev/null; then
    echo "fault_disk: skipped, no private mount namespace here"
    exit 77
  fi
  SETUP_E2E_NAMESPACE=1 exec "${namespace[@]}" bash "$0"
fi
source "$(dirname "$0")/support.bash"

dist=$WORK/dist
machine=$WORK/machine
mkdir -p "$dist/src" "$machine"
trap 'umount "$machine" 2>/dev/null || true; rm -rf "$WORK"' EXIT
head -c 3000000 /dev/urandom >"$dist/src/big.bin"
echo "the file after" >"$dist/src/small.txt"
printf '%s\r\n' 'F|big.bin|?APPDIR?\big.bin' 'F|small.txt|?APPDIR?\small.txt' \
  'K|SZ|HKEY_CURRENT_USER|Software|Fault|Done|yes' >"$dist/script.txt"
"$PACK" build --script "$dist/script.txt" --from "$dist/src" --out "$dist" >/dev/null
app="$machine/drive_c/Fault"
run_setup() { run_in "$dist" ./setup Fault --unattended --machine="$machine" '--dir=C:\Fault'; }

# A disk of 1 MiB: the 3 MB file cannot be expanded.
mount -t tmpfs -o size=1m tmpfs "$machine"
run_setup
expect_eq 4 "$STATUS" "exit status on a full disk"
expect_contains "$ERR" 'Erro de grava' "the write failure is told"
expect_contains "$ERR" 'C:\Fault\big.bin' "the file is named"
expect_contains "$ERR" 'Installation Aborted' "the abort is told"
expect_lacks "$ERR" 'Successfully' "no success on a full disk"
[ ! -e "$app/small.txt" ] || fail "the run went on after the full disk"
expect_eq "" "$(reg_value "$machine" 'HKEY_CURRENT_USER\Software\Fault' Done)" "no registry values"
head -1 "$machine/registry.reg" | grep -q '^REGEDIT4' || fail "registry.reg damaged by the full disk"

# Room again: the same run completes.
mount -o remount,size=16m "$machine"
run_setup
expect_eq 0 "$STATUS" "exit status with room again"
cmp -s "$dist/src/big.bin" "$app/big.bin" || fail "big.bin differs after the rerun"
cmp -s "$dist/src/small.txt" "$app/small.txt" || fail "small.txt differs after the rerun"
expect_eq '"yes"' "$(reg_value "$machine" 'HKEY_CURRENT_USER\Software\Fault' Done)" "registry value"

# Read-only: installing again changes nothing and says so.
snapshot() { (cd "$machine" && find . -type f -exec md5sum {} + | sort); }
before=$(snapshot)
mount -o remount,ro "$machine"
run_setup
expect_eq 4 "$STATUS" "exit status on a read-only disk"
expect_contains "$ERR" 'Erro de abertura no arquivo C:\Fault\big.bin' "the refused file is named"
expect_contains "$ERR" 'Installation Aborted' "the abort on a read-only disk is told"
expect_lacks "$ERR" 'Successfully' "no success on a read-only disk"
expect_eq "$before" "$(snapshot)" "files on the read-only disk"
umount "$machine"
echo "fault_disk: ok"
