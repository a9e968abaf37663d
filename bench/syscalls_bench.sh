# System calls per installed file on the host: 3,000 small files (1-20 KB, made from this
# machine's documentation texts and ELF programs) in 30 folders, with the uninstaller and its
# installation record, installed unattended by the host `setup` under `strace -f -c`. Prints the
# calls per file, the calls that dominate, and the goal (at most 12 per installed small file).
#   bash bench/syscalls_bench.sh            (needs build/host and strace)
#   SYSCALLS_FILES=300 bash bench/syscalls_bench.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
host=${HOST_BUILD_DIR:-$root/build/host}
files=${SYSCALLS_FILES:-3000}
work=$(mktemp -d)
trap '[ -n "${SYSCALLS_KEEP:-}" ] || rm -rf "$work"' EXIT

command -v strace >/dev/null || { echo "syscalls_bench: strace is missing" >&2; exit 1; }
for program in "$host/setup-pack" "$host/setup" "$host/uninstall"; do
  [ -x "$program" ] || { echo "syscalls_bench: $program is missing" >&2; exit 1; }
done

python3 "$root/bench/machine_payloads.py" small "$work/payload" "$files" 8 24

printf 'X|?PRGFDIR?\\SyscallBench\r\n' >"$work/script.txt"
(cd "$work/payload" && find . -type f | sed 's|^\./||' | sort) | while read -r file; do
  printf 'F|%s|?APPDIR?\\%s\r\n' "$file" "${file//\//\\}" >>"$work/script.txt"
done
"$host/setup-pack" build --script "$work/script.txt" --from "$work/payload" --out "$work/dist" \
  --uninstaller --name "Syscall Bench" >"$work/build.log" 2>&1 || { cat "$work/build.log" >&2; exit 1; }

(cd "$work/dist" && strace -f -c -o "$work/strace.txt" ./setup SyscallBench \
  --machine="$work/machine" --unattended >"$work/setup.log" 2>&1) ||
  { cat "$work/setup.log" >&2; exit 1; }
installed=$(find "$work/machine/drive_c" -name 'file*.dat' | wc -l)
[ "$installed" -eq "$files" ] ||
  { echo "syscalls_bench: $installed of $files files installed" >&2; exit 1; }

# strace -c: "% time seconds usecs/call calls errors syscall", then a "total" line.
awk -v files="$files" '
  $NF == "total" { total = $4 + 0; next }
  $1 ~ /^[0-9.]+$/ && NF >= 5 { calls[$NF] = $4 + 0 }
  END {
    line = ""
    for (k = 1; k <= 6; ++k) {
      best = ""; most = -1
      for (name in calls) if (!(name in shown) && calls[name] > most) {
        best = name; most = calls[name]
      }
      if (best == "") break
      shown[best] = 1
      line = line sprintf("%s%s %.1f", (k > 1 ? ", " : ""), best, most / files)
    }
    per = total / files
    printf "system calls, %d small files: %d in all, %.1f per file (%s)\n", files, total, per, line
    printf "goal: at most 12 system calls per installed small file: %.1f, %s\n", per,
      (per <= 12 ? "met" : "NOT met")
  }' "$work/strace.txt"
