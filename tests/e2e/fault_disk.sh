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

# A conversion of setup.txt on a disk that fills up: it fails and says why, and no part of a
# setup.drc stays behind to be installed from later.
conv=$WORK/conv
mkdir -p "$conv"
mount -t tmpfs -o size=64k tmpfs "$conv"
{
  printf 'X|C:\\Conv\r\n'
  for i in $(seq 1 400); do printf 'F|file%03d.cmp|?APPDIR?\\file%03d.txt\r\n' "$i" "$i"; done
} >"$conv/setup.txt"
head -c $((64 * 1024 - $(stat -c %s "$conv/setup.txt") - 8192)) /dev/zero >"$conv/filler" || true
run_in "$conv" "$SETUP" --machine="$WORK/convmachine"
expect_eq 1 "$STATUS" "exit status of a conversion on a full disk"
expect_contains "$ERR" "setup.txt not converted: setup.drc: No space left on device" "the reason"
[ ! -e "$conv/setup.drc" ] || fail "a torn setup.drc was left ($(stat -c %s "$conv/setup.drc") bytes)"
[ ! -e "$conv/setup.drc.~new" ] || fail "the conversion's temporary file was left"
umount "$conv"

# The disk fills with the last payload, so the registry values written after it cannot be saved,
# and a shortcut fails too: the values are lost, so the run ends as aborted (4), not as
# "installed, but some steps failed" (3).
late=$WORK/late
mkdir -p "$late/src"
head -c 65536 /dev/urandom >"$late/src/last.bin"
printf '%s\r\n' 'F|last.bin|?APPDIR?\last.bin' 'K|SZ|HKEY_CURRENT_USER|Software|Late|Done|yes' \
  'L|C:\Late\last.bin\x.lnk|C:\Late\last.bin|A' >"$late/script.txt"
"$PACK" build --script "$late/script.txt" --from "$late/src" --out "$late" >/dev/null
mount -t tmpfs -o size=1m tmpfs "$machine"
run_in "$late" ./setup Late --machine="$machine"  # cancelled: the machine folder is prepared
avail=$(df -B1 --output=avail "$machine" | tail -n 1)
# Room for the payload's 16 pages, none for a copy of registry.reg (nor for the log).
head -c $((avail - 16 * 4096)) /dev/zero >"$machine/filler"
run_in "$late" ./setup Late --unattended --machine="$machine" '--dir=C:\Late'
cmp -s "$late/src/last.bin" "$machine/drive_c/Late/last.bin" || fail "the last payload was not placed"
expect_contains "$ERR" "cannot save" "the lost registry values are told"
expect_eq 4 "$STATUS" "exit status when the registry values are lost at exit"
umount "$machine"
echo "fault_disk: ok"
