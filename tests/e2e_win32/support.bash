# Shared helpers of the Windows end-to-end tests: a fresh Wine prefix per test, the programs
# run under Wine on a virtual display, the UI driver, and checks of the Wine registry, files,
# shortcuts and logs.
set -euo pipefail
: "${BUILD_DIR:?BUILD_DIR must name the win32 build folder}"
: "${SOURCE_DIR:?SOURCE_DIR must name the source folder}"

# Windows need a display: start a virtual one when there is none.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

NAME=$(basename "$0" .sh)
SAMPLE=$SOURCE_DIR/examples/sample
EXPECTED=$SOURCE_DIR/tests/e2e_win32/expected
E2E=$BUILD_DIR/e2e-win32
WORK=$E2E/$NAME
SHOTS=$BUILD_DIR/screenshots
rm -rf "$WORK"
mkdir -p "$WORK" "$SHOTS"

export WINEDEBUG=-all
# No .desktop entries in the user's real menus for the shortcuts made here, no Mono, no Gecko.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export WINEPREFIX=$WORK/prefix

source "$SOURCE_DIR/tests/e2e/checks.bash"

# A Windows path for a path of this machine (Wine's Z: drive is the root).
winpath() { printf 'Z:%s' "${1//\//\\}"; }
# Where the UI driver saves screenshots, as Windows names it.
SHOTS_WIN=$(winpath "$SHOTS")

# The booted prefix every test copies. Booting takes a while, so it is made once per build and
# Wine version and never changed afterwards; the lock keeps parallel tests from booting it twice.
prepare_template() {
  local template=$E2E/template version
  version=$(wine --version)
  exec 9>"$E2E/template.lock"
  flock 9
  if [ "$(cat "$template/.ready" 2>/dev/null)" != "$version" ]; then
    rm -rf "$template"
    (
      export WINEPREFIX=$template
      wineboot -i >/dev/null 2>&1 || true
      # Wine draws the frames itself, so screenshots show captions without a window manager.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
      wineserver -w
    )
    echo "$version" >"$template/.ready"
  fi
  flock -u 9
  # Files are linked, not copied (Wine replaces a file it rewrites, so the template stays as
  # it is); the registry files are copied all the same.
  cp -al "$template" "$WINEPREFIX"
  rm -f "$WINEPREFIX"/*.reg
  cp "$template"/*.reg "$WINEPREFIX"/
}
prepare_template

DRIVE_C=$WINEPREFIX/drive_c
PROGRAMS="$DRIVE_C/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"

finish() {
  local status=$?
  wineserver -k 2>/dev/null || true
  if [ $status -eq 0 ]; then rm -rf "$WINEPREFIX"; fi
  return $status
}
trap finish EXIT

# The prefix's temporary folder as Windows names it (TEMP_WIN), below drive_c (TEMP_RELATIVE)
# and on this machine (TEMP_DIR). Wine versions put it in different places, so it is asked for.
find_temp_dir() {
  TEMP_WIN=$(wine cmd /c 'echo %TEMP%' | tr -d '\r')
  TEMP_WIN=${TEMP_WIN%\\}
  TEMP_RELATIVE=${TEMP_WIN#?:\\}
  TEMP_RELATIVE=${TEMP_RELATIVE//\\//}
  TEMP_DIR=$DRIVE_C/$TEMP_RELATIVE
  mkdir -p "$TEMP_DIR"
}

# The sample product's distribution folder, made by setup-pack.exe; Setup.exe comes with it.
make_sample_dist() {  # folder
  wine "$BUILD_DIR/setup-pack.exe" build --script "$(winpath "$SAMPLE/setup.txt")" \
    --from "$(winpath "$SAMPLE/files")" --out "$(winpath "$1")" \
    --welcome "$(winpath "$SAMPLE/welcome.txt")" --terms "$(winpath "$SAMPLE/terms.txt")" >/dev/null
  [ -f "$1/Setup.exe" ] && [ -f "$1/setup.drc" ] || fail "setup-pack.exe made no distribution"
}

# Runs a program under Wine in a folder with the given arguments while the UI driver plays a
# script (read from standard input) against its dialogs. Sets STATUS (the program's exit
# status), ERR (its standard error) and fails the test when the driver finds a step that does
# not hold.
drive_program() {  # folder program arguments...
  local dir=$1 program=$2
  shift 2
  cat >"$WORK/driver.txt"
  (cd "$dir" && exec timeout 120 wine "$program" "$@") >"$WORK/run.out" 2>"$WORK/run.err" &
  local run=$!
  local driver=0
  wine "$BUILD_DIR/ui_driver.exe" "$(winpath "$WORK/driver.txt")" >"$WORK/driver.out" 2>&1 ||
    driver=$?
  if [ $driver -ne 0 ]; then
    kill "$run" 2>/dev/null || true
    wait "$run" 2>/dev/null || true
    cat "$WORK/driver.out" >&2
    fail "the UI driver stopped (${program##*/})"
  fi
  set +e
  wait "$run"
  STATUS=$?
  set -e
  ERR=$(tr -d '\r' <"$WORK/run.err")
}

# Runs a program under Wine in a folder without the driver; sets STATUS, OUT and ERR.
run_program() {  # folder program arguments...
  local dir=$1 program=$2
  shift 2
  set +e
  (cd "$dir" && exec timeout 120 wine "$program" "$@") >"$WORK/run.out" 2>"$WORK/run.err"
  STATUS=$?
  set -e
  OUT=$(tr -d '\r' <"$WORK/run.out")
  ERR=$(tr -d '\r' <"$WORK/run.err")
}

# Setup.exe of a distribution folder, driven or not (command-line checks, unattended runs).
drive() { drive_program "$1" Setup.exe "${@:2}"; }  # folder setup-arguments...
run_setup() { run_program "$1" Setup.exe "${@:2}"; }  # folder setup-arguments...

# The UI driver's steps through the sample's terms page and its directory page, which must
# propose the script's directory, both accepted as they stand.
accept_sample_terms_and_directory() {
  cat <<'EOF_STEPS'
window|Terms and Conditions|1000
press|1
gone
window|Sample Notes Setup|1001
text|1001|C:\Program Files\Sample Notes
press|1
gone
EOF_STEPS
}

# A value as `reg query` shows it through the Wine registry: "TYPE DATA", or nothing.
reg_value() {  # key name
  local out
  out=$(wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r') || return 0
  awk -v name="$2" '
    { line = $0; sub(/^ +/, "", line) }
    index(line, name) == 1 {
      rest = substr(line, length(name) + 1); sub(/^ +/, "", rest)
      type = rest; sub(/ .*/, "", type)
      data = substr(rest, length(type) + 1); sub(/^ +/, "", data)
      print type " " data; exit
    }' <<<"$out"
}

# Whether a key exists in the Wine registry.
reg_key_exists() { wine reg query "$1" >/dev/null 2>&1; }

# SETUP.LOG with timestamps as TIME, LF line ends and the user's name as USER.
masked_log() {  # file
  tr -d '\r' <"$1" |
    sed -E -e 's/^[0-9]{2} [A-Z][a-z]{2} [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}( |$)/TIME /' \
      -e "s/\\\\users\\\\$(id -un)\\\\/\\\\users\\\\USER\\\\/g"
}

# What lnkinfo reads from a shortcut: "target|description".
link_info() {  # file
  [ -f "$1" ] || fail "no shortcut $1"
  lnkinfo "$1" | tr -d '\r' | awk -F': ' '
    /^\tLocal path/ { path = $2 } /^\tDescription/ { description = $2 }
    END { print path "|" description }'
}

# A screenshot is a real PNG picture.
expect_png() {  # file
  [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" == 89504e470d0a1a0a ] ||
    fail "$1 is not a PNG file"
}

# Uninstall.exe goes only once it has ended, through its copy: wait for that (at most 10 s).
wait_for_removal() {  # path what
  local tries=0
  while [ -e "$1" ] && [ $tries -lt 100 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  [ ! -e "$1" ] || fail "$2 stayed: $(ls -la "$1" 2>&1)"
}

# The files of the machine (sizes included) but the temporary folders, and the Software keys of
# both hives but the shared files' counts (which a removal may only lower or delete) and Wine's
# own settings. reg export is tried twice: right after another test's programs it can fail once.
machine_snapshot() {
  (cd "$DRIVE_C" && find . \( -path "./$TEMP_RELATIVE" -o -path ./windows/temp \) -prune \
    -o -printf '%y %s %p\n' | sort)
  local hive
  for hive in 'HKLM\Software' 'HKCU\Software'; do
    rm -f "$WORK/export.reg"
    wine reg export "$hive" "$(winpath "$WORK/export.reg")" >/dev/null 2>&1 ||
      { sleep 1 && wine reg export "$hive" "$(winpath "$WORK/export.reg")" >/dev/null 2>&1; } ||
      fail "reg export $hive"
    iconv -f UTF-16LE -t UTF-8 "$WORK/export.reg" | tr -d '\r' |
      awk '/^\[/ {
        skip = index($0, "\\CurrentVersion\\SharedDLLs]") > 0 ||
          index($0, "[HKEY_CURRENT_USER\\Software\\Wine\\") == 1
      } !skip'
  done
}
