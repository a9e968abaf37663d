# The product of the worked example of docs/script.md, shared by the host and the Wine test: the
# script of the page, and a 2.2 whose program and hidden library are newer.

# The script as docs/script.md prints it, CR LF line ends.
worked_example_script() {
  awk '/^## A worked example/ { found = 1 } found && /^```$/ { if (inside) exit; inside = 1; next }
    inside' "$SOURCE_DIR/docs/script.md" | sed 's/$/\r/'
}

# The sample's library with the file version MAJOR.MINOR in its version resource.
library_version() {  # source destination major minor
  cp "$1" "$2"
  local at
  at=$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$2" | head -1 | cut -d: -f1)
  [ -n "$at" ] || fail "no version resource in $1"
  printf "\\x$(printf %02x "$4")\\x00\\x$(printf %02x "$3")\\x00" |
    dd of="$2" bs=1 seek=$((at + 8)) conv=notrunc status=none
}

# FOLDER/setup-V.txt and FOLDER/files-V for V = 2.1 and 2.2.
make_worked_example() {  # folder
  local dir=$1 version minor
  for version in 2.1 2.2; do
    minor=${version#2.}
    mkdir -p "$dir/files-$version/help" "$dir/files-$version/system"
    worked_example_script | sed "s/Acme Draw 2\\.1/Acme Draw $version/" >"$dir/setup-$version.txt"
    printf '%s' "$version" >"$dir/files-$version/AcmeDraw.exe"
    printf 'Acme Draw %s manual\r\n' "$version" >"$dir/files-$version/help/manual.txt"
    library_version "$SOURCE_DIR/examples/sample/files/system/snrt12.dll" \
      "$dir/files-$version/system/acmert21.dll" 2 "$minor"
  done
  grep -q '^H|acmert21' "$dir/setup-2.1.txt" || fail "the worked example lost its hidden library"
}
