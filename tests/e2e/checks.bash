# Checks shared by the host and the Windows end-to-end tests: failing with the test's name,
# comparing texts, the timestamps of SETUP.LOG and the sample product's installed files.
# support.bash sources it once it has set NAME and SAMPLE.

fail() {
  echo "FAIL ($NAME): $*" >&2
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

# Every line must carry a timestamp of the form "07 Dec 2026 06:22:14 ".
expect_timestamps() {  # file
  local bad
  bad=$(tr -d '\r' <"$1" | grep -cvE '^[0-9]{2} [A-Z][a-z]{2} [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2} ' || true)
  expect_eq 0 "$bad" "lines of $1 without a timestamp"
}

# The sample's payload files in its installation directory, byte for byte, under the names its
# script gives them (Help\, Data\), which are not the letter case of the files it is built from.
expect_sample_files() {  # installation-directory
  local pair
  for pair in SampleNotes.exe:SampleNotes.exe readme.txt:readme.txt \
    help/manual.txt:Help/manual.txt data/palette.dat:Data/palette.dat \
    data/templates/letter.txt:Data/Templates/letter.txt \
    data/templates/report.txt:Data/Templates/report.txt; do
    cmp -s "$SAMPLE/files/${pair%%:*}" "$1/${pair#*:}" || fail "installed ${pair#*:} differs"
  done
}
