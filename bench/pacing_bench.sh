# Interactive pacing: an installation of 150 small files through the wizard's line prompts
# against the same installation unattended, interleaved, medians of five; the goal is at most
# 1.5 times the unattended run plus one second.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
host=${HOST_BUILD_DIR:-$root/build/host}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 150 files of text from the machine's own documentation, a few kilobytes each.
mkdir -p "$work/src"
printf 'X|?PRGFDIR?\\Pacing\r\n' >"$work/script.txt"
mapfile -t docs < <(find /usr/share/common-licenses /usr/share/doc -type f -size +2k -size -20k \
  2>/dev/null | sort)
for n in $(seq 1 150); do
  cp "${docs[n - 1]}" "$work/src/file$n.txt"
  printf 'F|file%s.txt|?APPDIR?\\Docs\\file%s.txt\r\n' "$n" "$n" >>"$work/script.txt"
done
"$host/setup-pack" build --script "$work/script.txt" --from "$work/src" --out "$work/dist" \
  >"$work/build.log" 2>&1 || { cat "$work/build.log" >&2; exit 1; }

seconds_of() {  # mode -> wall seconds of one installation into a fresh machine
  local machine=$work/machine-$1 start end
  rm -rf "$machine"
  start=$(date +%s.%N)
  if [ "$1" = interactive ]; then
    # Continue, accept, the proposed folder, then the final message.
    printf '\n\n\n\n\n' | (cd "$work/dist" && ./setup Pacing --machine="$machine" >/dev/null)
  else
    (cd "$work/dist" && ./setup Pacing --machine="$machine" --unattended >/dev/null 2>&1)
  fi
  end=$(date +%s.%N)
  [ "$(find "$machine/drive_c" -name 'file*.txt' | wc -l)" -eq 150 ] ||
    { echo "pacing: the $1 run did not install 150 files" >&2; exit 1; }
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

interactive=() unattended=()
for _ in 1 2 3 4 5; do
  interactive+=("$(seconds_of interactive)")
  unattended+=("$(seconds_of unattended)")
done
i=$(printf '%s\n' "${interactive[@]}" | median)
u=$(printf '%s\n' "${unattended[@]}" | median)
awk -v i="$i" -v u="$u" 'BEGIN {
  goal = 1.5 * u + 1
  printf "pacing, 150 files: interactive %.2f s, unattended %.2f s (%.2fx); goal at most %.2f s: %s\n",
    i, u, i / u, goal, (i <= goal ? "met" : "NOT met")
}'
