# Shared helpers of the end-to-end tests: a scratch folder, the programs, runs and checks.
set -euo pipefail
: "${BUILD_DIR:?BUILD_DIR must name the build folder}"
: "${SOURCE_DIR:?SOURCE_DIR must name the source folder}"

NAME=$(basename "$0" .sh)
SETUP=$BUILD_DIR/setup
PACK=$BUILD_DIR/setup-pack
SAMPLE=$SOURCE_DIR/examples/sample
EXPECTED=$SOURCE_DIR/tests/e2e/expected
WORK=$(mktemp -d "${TMPDIR:-/tmp}/setup-e2e.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
source "$SOURCE_DIR/tests/e2e/checks.bash"

# The sample product's distribution folder, made by setup-pack build.
make_sample_dist() {  # folder
  "$PACK" build --script "$SAMPLE/setup.txt" --from "$SAMPLE/files" --out "$1" \
    --welcome "$SAMPLE/welcome.txt" --terms "$SAMPLE/terms.txt" >/dev/null
}

# A distribution folder from plain script lines (CR LF added), with one payload per F line.
make_dist() {  # folder line...
  local dir=$1
  shift
  mkdir -p "$dir/src"
  : >"$dir/script.txt"
  local line source
  for line in "$@"; do
    printf '%s\r\n' "$line" >>"$dir/script.txt"
    if [[ $line == F* ]]; then
      source=${line:2}
      source=${source%%"${line:1:1}"*}
      mkdir -p "$(dirname "$dir/src/$source")"
      echo "contents of $source" >"$dir/src/$source"
    fi
  done
  "$PACK" build --script "$dir/script.txt" --from "$dir/src" --out "$dir" >/dev/null
}

# Runs a program in a folder with $INPUT (default: nothing) on standard input; sets STATUS,
# OUT and ERR.
run_in() {  # folder command...
  local dir=$1
  shift
  set +e
  (cd "$dir" && "$@") <"${INPUT:-/dev/null}" >"$WORK/.out" 2>"$WORK/.err"
  STATUS=$?
  set -e
  OUT=$(cat "$WORK/.out")
  ERR=$(cat "$WORK/.err")
}

# SETUP.LOG with its timestamps replaced by TIME and its CR LF line ends as LF.
masked_log() {  # file
  tr -d '\r' <"$1" |
    sed -E 's/^[0-9]{2} [A-Z][a-z]{2} [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}( |$)/TIME /'
}

# A registry value as registry.reg holds it: the line after the key's section header.
reg_value() {  # machine key name
  # Through the environment: awk -v would read the backslashes as escapes.
  tr -d '\r' <"$1/registry.reg" | REG_KEY="[$2]" REG_NAME="\"$3\"=" awk '
    /^\[/ { inside = ($0 == ENVIRON["REG_KEY"]); next }
    inside && index($0, ENVIRON["REG_NAME"]) == 1 { print substr($0, length(ENVIRON["REG_NAME"]) + 1); exit }'
}

# Whether a registry.reg is whole: the REGEDIT4 header first and a CR LF at the very end, as
# every save leaves it (a torn save would cut the file short).
registry_file_is_whole() {  # file
  head -1 "$1" | tr -d '\r' | grep -qx 'REGEDIT4' &&
    [ "$(tail -c 2 "$1" | od -An -tx1 | tr -d ' ')" = 0d0a ]
}

# Runs ./setup in a folder once on a spare machine folder to learn how long a whole run takes,
# then KILLS times on the machine folder, killed after 1/(KILLS+1), 2/(KILLS+1), ... of that
# time, so that the kills spread over the whole run; CHECK (a command) must hold after each.
kill_runs_spread() {  # folder timing-machine machine kills check what setup-arguments...
  # Not named `machine`: the check reads the caller's.
  local dir=$1 timing=$2 killed=$3 kills=$4 check=$5 what=$6
  shift 6
  local start took step delay pid
  start=$(date +%s%N)
  run_in "$dir" ./setup "$@" --machine="$timing"
  expect_eq 0 "$STATUS" "exit status of the timing run [$ERR]"
  took=$(($(date +%s%N) - start))
  for step in $(seq 1 "$kills"); do
    delay=$(awk -v ns="$took" -v k="$step" -v parts=$((kills + 1)) \
      'BEGIN { printf "%.3f", ns * k / parts / 1e9 }')
    (cd "$dir" && exec ./setup "$@" --machine="$killed") >/dev/null 2>&1 &
    pid=$!
    sleep "$delay"
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    "$check" || fail "$what by a kill after ${delay}s"
  done
}
