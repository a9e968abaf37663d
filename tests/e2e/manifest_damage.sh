# A distribution with setup.sum: a payload that was changed, cut short or left out of the
# manifest is refused before anything of it lands, named in one box and by setup-pack verify;
# a damaged script or text stops the installer at start-up; without setup.sum nothing changes.
source "$(dirname "$0")/support.bash"

clean=$WORK/clean
make_sample_dist "$clean"
run_in "$clean" "$PACK" verify .
expect_eq 0 "$STATUS" "verify of a fresh distribution"
expect_contains "$OUT" "sound" "verify says sound"

flip() { printf '\x55' | dd of="$1" bs=1 seek="$2" conv=notrunc 2>/dev/null; }
unlist() { grep -vF " $2" "$1/setup.sum" >"$1/sum.new"; mv "$1/sum.new" "$1/setup.sum"; }

# case | file | damage | verify's reason
cases=(
  "flipped|data/palette.dat|flip|SHA-256 differs"
  "truncated|help/manual.txt|truncate|bytes instead of"
  "unlisted|readme.txt|unlist|not listed in setup.sum"
  "dll|system/snrt12.dl_|flip|SHA-256 differs"
)
for row in "${cases[@]}"; do
  IFS='|' read -r name file damage reason <<<"$row"
  dist=$WORK/$name
  machine=$WORK/machine-$name
  cp -r "$clean" "$dist"
  case $damage in
    flip) flip "$dist/$file" 9 ;;
    truncate) truncate -s 20 "$dist/$file" ;;
    unlist) unlist "$dist" "${file//\//\\}" ;;
  esac
  winname=${file//\//\\}
  run_in "$dist" "$PACK" verify .
  expect_eq 1 "$STATUS" "$name: verify's exit status"
  expect_contains "$OUT" "$winname: damaged" "$name: verify names the file"
  expect_contains "$OUT" "$reason" "$name: verify says why"

  run_in "$dist" ./setup 'Sample*Notes' --machine="$machine" --unattended
  expect_eq 4 "$STATUS" "$name: exit status"
  expect_contains "$ERR" "Error: The file $winname of this distribution is damaged" "$name: box"
  expect_contains "$ERR" "get a new copy" "$name: where to get a new one"
  expect_contains "$ERR" "Installation Aborted" "$name: abort box"
  log=$(masked_log "$machine/drive_c/Program Files/Sample Notes/SETUP.LOG")
  # The sample's DLL is a hidden name: lines that name it are dropped.
  [ "$name" == dll ] || expect_contains "$log" "Payload $winname is damaged" "$name: log line"
  expect_contains "$log" "must abort" "$name: the failed expansion's log line"
  base=$(basename "$file")
  base=${base/%.dl_/.dll}  # a library's payload is stored as .dl_
  found=$(find "$machine/drive_c" -iname "$base" | grep -v /Backup/ || true)
  expect_eq "" "$found" "$name: nothing of the damaged file landed"
done

# A 6-byte payload whose header claims 2 GiB, listed with its own digest: only verify can tell,
# and it does so at once, without expanding 2 GiB.
hostile=$WORK/hostile
cp -r "$clean" "$hostile"
printf '\x00\x00\x00\x80\xf6\xfb' >"$hostile/readme.txt"
printf '\xff\xff\xff\x7f\xf6\xfb' >"$hostile/data/palette.dat"
unlist "$hostile" readme.txt
unlist "$hostile" 'data\palette.dat'
for f in readme.txt data/palette.dat; do
  printf '%s %s %s\r\n' "$(sha256sum <"$hostile/$f" | cut -c1-64)" 6 "${f//\//\\}" >>"$hostile/setup.sum"
done
run_in "$hostile" timeout 20 "$PACK" verify .
expect_eq 1 "$STATUS" "verify of claimed lengths"
expect_contains "$OUT" "readme.txt: damaged, its header claims a negative length" "negative header"
expect_contains "$OUT" 'data\palette.dat: damaged, its compressed data ends before' "short stream"

# Start-up files: a damaged script or text stops the installer before the wizard.
for file in setup.drc Setup2.txt terms.txt; do
  dist=$WORK/start-$file
  cp -r "$clean" "$dist"
  flip "$dist/$file" 3
  run_in "$dist" ./setup 'Sample*Notes' --machine="$WORK/machine-start" --unattended
  expect_eq 1 "$STATUS" "$file: exit status"
  expect_contains "$ERR" "The file $file of this distribution is damaged" "$file: box"
  expect_contains "$ERR" "One or more files missing, cannot continue installation" "$file: start-up box"
  [ ! -e "$WORK/machine-start/drive_c/Program Files/Sample Notes" ] || fail "$file: the installer installed"
done

# A manifest that is itself damaged refuses everything.
dist=$WORK/badsum
cp -r "$clean" "$dist"
printf 'not a manifest\r\n' >>"$dist/setup.sum"
run_in "$dist" ./setup 'Sample*Notes' --machine="$WORK/machine-badsum" --unattended
expect_eq 1 "$STATUS" "damaged manifest: exit status"
expect_contains "$ERR" "setup.sum is damaged, line" "damaged manifest: named"

# A manifest that is there but is no regular file counts as unreadable, never as none.
for kind in fifo folder; do
  dist=$WORK/sum-$kind
  cp -r "$clean" "$dist"
  rm "$dist/setup.sum"
  if [ $kind = fifo ]; then mkfifo "$dist/setup.sum"; else mkdir "$dist/setup.sum"; fi
  run_in "$dist" timeout 20 ./setup 'Sample*Notes' --machine="$WORK/machine-sum-$kind" --unattended
  expect_eq 1 "$STATUS" "setup.sum a $kind: exit status"
  expect_contains "$ERR" "setup.sum cannot be read" "setup.sum a $kind: named"
  [ ! -e "$WORK/machine-sum-$kind/drive_c/Program Files/Sample Notes" ] ||
    fail "setup.sum a $kind: the installer installed"
done

# Names outside the distribution make the manifest unreadable: verify opens nothing outside.
dist=$WORK/outside
cp -r "$clean" "$dist"
printf 'outside\n' >"$WORK/outside.txt"
for name in '..\outside.txt' "$WORK/outside.txt" '\\server\share\x' 'C:\x'; do
  cp "$clean/setup.sum" "$dist/setup.sum"
  printf '%s 8 %s\r\n' "$(sha256sum <"$WORK/outside.txt" | cut -c1-64)" "$name" >>"$dist/setup.sum"
  run_in "$dist" "$PACK" verify .
  expect_eq 1 "$STATUS" "[$name]: verify's exit status"
  expect_contains "$OUT" "setup.sum: damaged, line" "[$name]: verify names the manifest"
  expect_contains "$OUT" "leads out of the distribution folder" "[$name]: verify says why"
  run_in "$dist" ./setup 'Sample*Notes' --machine="$WORK/machine-outside" --unattended
  expect_eq 1 "$STATUS" "[$name]: the installer's exit status"
  expect_contains "$ERR" "setup.sum is damaged, line" "[$name]: the installer names the manifest"
done

# A listed text grown to 64 GiB (sparse) is judged by its size at once, by the installer and
# by verify, without reading it.
dist=$WORK/hugeterms
cp -r "$clean" "$dist"
truncate -s 64G "$dist/terms.txt"
run_in "$dist" timeout 10 ./setup 'Sample*Notes' --machine="$WORK/machine-huge" --unattended
expect_eq 1 "$STATUS" "huge terms text: the installer's exit status"
expect_contains "$ERR" "terms.txt of this distribution is damaged (it holds 68719476736 bytes instead of" \
  "huge terms text: the installer's reason"
run_in "$dist" timeout 10 "$PACK" verify .
expect_eq 1 "$STATUS" "huge terms text: verify's exit status"
expect_contains "$OUT" "terms.txt: damaged, it holds 68719476736 bytes instead of" "huge terms text: verify"

# Without setup.sum the same damaged payload installs as it always did.
dist=$WORK/nosum
cp -r "$clean" "$dist"
rm "$dist/setup.sum"
flip "$dist/data/palette.dat" 9
run_in "$dist" ./setup 'Sample*Notes' --machine="$WORK/machine-nosum" --unattended
expect_eq 0 "$STATUS" "without a manifest: exit status as before"
expect_lacks "$ERR" "damaged" "without a manifest: no damage box"

# --name: autorun.inf and the command line to use.
run_in "$WORK" "$PACK" build --script "$SAMPLE/setup.txt" --from "$SAMPLE/files" --out named \
  --name 'Sample Notes'
expect_eq 0 "$STATUS" "build --name"
expect_contains "$OUT" "start it with: setup Sample*Notes" "printed command line"
expect_eq "open=setup Sample*Notes" "$(tr -d '\r' <"$WORK/named/autorun.inf" | grep '^open=')" "autorun open line"
grep -q ' autorun.inf$' <(tr -d '\r' <"$WORK/named/setup.sum") || fail "autorun.inf is not listed"
echo "manifest_damage: ok"
