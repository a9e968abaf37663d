# Shared helpers of the end-to-end tests: a scratch folder, the programs, runs and checks.
set -euo pipefail
: "${BUILD_DIR:?BUILD_DIR must name the build folder}"
: "${SOURCE_DIR:?SOURCE_DIR must name the source folder}"

SETUP=$BUILD_DIR/setup
PACK=$BUILD_DIR/setup-pack
SAMPLE=$SOURCE_DIR/examples/sample
EXPECTED=$SOURCE_DIR/tests/e2e/expected
WORK=$(mktemp -d "${TMPDIR:-/tmp}/setup-e2e.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

expect_eq() {  # expected actual what
  [ "$1" == "$2" ] || fail "$3: expected [$1], got [$2]"
}

expect_contains() {  # text needle what
  grep -qF -- "$2" <<<"$1" || fail "$3: [$2] not in [$1]"
}

expect_lacks() {  # text needle what
  if grep -qF -- "$2" <<<"$1"; then fail "$3: [$2] should not be in [$1]"; fi
}

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

# Every line must carry a timestamp of the form "07 Dec 2026 06:22:14 ".
expect_timestamps() {  # file
  local bad
  bad=$(tr -d '\r' <"$1" | grep -cvE '^[0-9]{2} [A-Z][a-z]{2} [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2} ' || true)
  expect_eq 0 "$bad" "lines of $1 without a timestamp"
}

# A registry value as registry.reg holds it: the line after the key's section header.
reg_value() {  # machine key name
  # Through the environment: awk -v would read the backslashes as escapes.
  tr -d '\r' <"$1/registry.reg" | REG_KEY="[$2]" REG_NAME="\"$3\"=" awk '
    /^\[/ { inside = ($0 == ENVIRON["REG_KEY"]); next }
    inside && index($0, ENVIRON["REG_NAME"]) == 1 { print substr($0, length(ENVIRON["REG_NAME"]) + 1); exit }'
}
