# Kills while the record is written and while it is acted on: an installation killed half-way
# and run again leaves a record the removal completes; a removal killed at any moment and run
# again finishes the job. Each time the machine ends as it was before the product.
source "$(dirname "$0")/support.bash"

dist=$WORK/dist
mkdir -p "$dist/src"
lines=('X|C:\Killed')
for i in $(seq 1 200); do
  echo "file $i" >"$dist/src/f$i.txt"
  lines+=("F|f$i.txt|?APPDIR?\\d$((i % 7))\\f$i.txt")
done
for i in $(seq 1 20); do lines+=("K|SZ|HKEY_CURRENT_USER|Software|Killed|v$i|value $i"); done
lines+=('L|?STARTMENU?\Killed\Killed.lnk|?APPDIR?\f1.txt|Killed')
printf '%s\r\n' "${lines[@]}" >"$dist/script.txt"
"$PACK" build --uninstaller --name Killed --script "$dist/script.txt" --from "$dist/src" \
  --out "$dist" >/dev/null 2>&1

snapshot() {  # machine
  (cd "$1" && find . -path ./drive_c/Windows/Temp -prune -o -print | grep -v 'setup.lock' |
    sort && tr -d '\r' <registry.reg | grep -v -e 'CurrentVersion\\Uninstall]$' -e '^$')
}
install() {  # machine
  run_in "$dist" ./setup Killed --unattended --machine="$1"
  expect_eq 0 "$STATUS" "installation [$ERR]"
}
uninstall() {  # machine
  run_in "$1/drive_c/Killed" ./uninstall --machine="$1" --unattended
}
# The start of the machine: its folders and registry made by a product installed and removed.
fresh() {  # machine
  rm -rf "$1"
  install "$1"
  uninstall "$1"
  expect_eq 0 "$STATUS" "the first removal [$ERR]"
}
elapsed() {  # command...: nanoseconds
  local start
  start=$(date +%s%N)
  "$@"
  echo $(($(date +%s%N) - start))
}
kill_after() {  # seconds folder command...
  local delay=$1 dir=$2 pid
  shift 2
  (cd "$dir" && exec "$@") >/dev/null 2>&1 &
  pid=$!
  sleep "$delay"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

machine=$WORK/machine
fresh "$machine"
before=$(snapshot "$machine")
took_install=$(elapsed install "$machine")
took_remove=$(elapsed uninstall "$machine")
expect_eq "$before" "$(snapshot "$machine")" "a whole removal"

for part in 1 2 3 4; do
  install "$machine"
  delay=$(awk -v ns="$took_remove" -v k="$part" 'BEGIN { printf "%.3f", ns * k / 5 / 1e9 }')
  kill_after "$delay" "$machine/drive_c/Killed" ./uninstall --machine="$machine" --unattended
  if [ -e "$machine/drive_c/Killed/uninstall" ]; then
    uninstall "$machine"
    expect_eq 0 "$STATUS" "the removal after a kill at ${delay}s [$ERR]"
  fi
  expect_eq "$before" "$(snapshot "$machine")" "the machine after a removal killed at ${delay}s [$ERR]"
done

# Killed right after the record went: the product's key still holds the digest, and the rerun
# finishes with the key, the script copy, the uninstaller and the folders.
tiny=$WORK/tiny
mkdir -p "$tiny/src"
echo t >"$tiny/src/t.txt"
printf '%s\r\n' 'F|t.txt|?APPDIR?\Sub\t.txt' >"$tiny/script.txt"
"$PACK" build --uninstaller --name Tiny --script "$tiny/script.txt" --from "$tiny/src" \
  --out "$tiny" >/dev/null 2>&1
run_in "$tiny" ./setup Tiny --unattended --machine="$machine" '--dir=C:\Tiny'
expect_eq 0 "$STATUS" "the small product installs"
(cd "$machine/drive_c/Tiny" && rm -r Sub/t.txt SETUP.LOG uninstall.rec)
run_in "$machine/drive_c/Tiny" ./uninstall --machine="$machine" --unattended
expect_eq 0 "$STATUS" "the removal after the record went [$ERR]"
expect_eq "$before" "$(snapshot "$machine")" "the machine after the record went"

# Killed once the key had gone: the last step's mark stays beside the uninstaller, the script
# copy and empty folders, and the rerun finishes those, with or without the script copy. Beside
# anything else it is a copy left behind, and stays.
drop_product_key() {  # machine product
  key="[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$2]" awk '
    { line = $0; sub(/\r$/, "", line) }
    line == ENVIRON["key"] { skip = 1; next }
    skip && line ~ /^\[/ { skip = 0 }
    !skip' "$1/registry.reg" >"$1/registry.reg.new"
  mv "$1/registry.reg.new" "$1/registry.reg"
}
for gone in "" uninstall.drc; do
  run_in "$tiny" ./setup Tiny --unattended --machine="$machine" '--dir=C:\Tiny'
  (cd "$machine/drive_c/Tiny" && rm -r Sub/t.txt SETUP.LOG uninstall.rec $gone && : >uninstall.~end)
  drop_product_key "$machine" Tiny
  if [ -z "$gone" ]; then
    mkdir "$machine/drive_c/Tiny/Sub/Mine"
    echo mine >"$machine/drive_c/Tiny/Sub/Mine/mine.txt"
    run_in "$machine/drive_c/Tiny" ./uninstall --machine="$machine" --unattended
    expect_eq 0 "$STATUS" "the rerun beside the user's own file [$ERR]"
    expect_contains "$ERR$OUT" "not installed on this computer" "the rerun beside the user's own file"
    [ -f "$machine/drive_c/Tiny/uninstall.drc" ] || fail "the copy left behind lost its script copy"
    rm -r "$machine/drive_c/Tiny/Sub/Mine"
  fi
  run_in "$machine/drive_c/Tiny" ./uninstall --machine="$machine" --unattended
  expect_eq 0 "$STATUS" "the removal after the key went${gone:+ and $gone} [$ERR]"
  expect_eq "$before" "$(snapshot "$machine")" "the machine after the key went${gone:+ and $gone}"
done

for part in 1 2; do
  delay=$(awk -v ns="$took_install" -v k="$part" 'BEGIN { printf "%.3f", ns * k / 3 / 1e9 }')
  kill_after "$delay" "$dist" ./setup Killed --unattended --machine="$machine"
  install "$machine"
  uninstall "$machine"
  expect_eq 0 "$STATUS" "the removal after an installation killed at ${delay}s [$ERR]"
  expect_eq "$before" "$(snapshot "$machine")" "the machine after an installation killed at ${delay}s"
done
echo "installation_record_kills: ok"
