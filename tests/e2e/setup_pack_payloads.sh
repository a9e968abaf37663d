# setup-pack compress, expand, scramble and unscramble: round trips, exit statuses and messages.
source "$(dirname "$0")/support.bash"

cd "$WORK"
: >empty
printf 'x' >one
head -c 200000 /dev/urandom >noise || true
awk 'BEGIN { for (i = 0; i < 15000; i++) print "The installer expands every file." }' >text
cp text text.orig
cat "$PACK" >program

# Every file comes back byte for byte, in both parses.
for f in empty one noise text program; do
  for mode in "" --greedy; do
    run_in "$WORK" "$PACK" compress $mode "$f" "$f.z"
    expect_eq 0 "$STATUS" "compress $mode $f"
    run_in "$WORK" "$PACK" expand "$f.z" "$f.out"
    expect_eq 0 "$STATUS" "expand $f ($ERR)"
    cmp -s "$f" "$f.out" || fail "$f did not survive compress $mode and expand"
  done
done
expect_eq "00000000" "$(od -An -tx1 empty.z | tr -d ' \n')" "payload of an empty file"
[ "$(stat -c %s text.z)" -lt 20000 ] || fail "repetitive text did not compress"

# Failures of expand: the installer's message on standard error, status 1.
run_in "$WORK" "$PACK" expand missing.z out
expect_eq 1 "$STATUS" "expand of a missing file"
expect_contains "$ERR" "cannot read 'missing.z': No such file or directory" "missing input"
printf '\x03\x00' >short.z
run_in "$WORK" "$PACK" expand short.z short.out
expect_eq 1 "$STATUS" "expand of a short file"
expect_eq "Error: Erro de leitura" "$ERR" "short header message"
[ -f short.out ] && [ ! -s short.out ] || fail "a short header must leave an empty destination"
run_in "$WORK" "$PACK" expand text.z /dev/full
expect_eq 1 "$STATUS" "expand onto a full device"
expect_eq "Error: Erro de gravação no arquivo /dev/full" "$ERR" "write failure message"
mkdir -p adir
run_in "$WORK" "$PACK" expand text.z adir
expect_eq 1 "$STATUS" "expand onto a directory"
expect_eq "Error: Erro de abertura no arquivo adir" "$ERR" "destination failure message"

# compress refuses what it cannot do, and never destroys its input.
run_in "$WORK" "$PACK" compress text text
expect_eq 1 "$STATUS" "compress onto its input"
cmp -s text text.orig || fail "compress damaged its input"
run_in "$WORK" "$PACK" compress missing out.z
expect_eq 1 "$STATUS" "compress of a missing file"
expect_contains "$ERR" "cannot read 'missing'" "missing input"
run_in "$WORK" "$PACK" compress text nodir/out.z
expect_eq 1 "$STATUS" "compress into a missing folder"
expect_contains "$ERR" "cannot write 'nodir/out.z'" "unwritable output"

# Scrambling: position-keyed, its own inverse.
printf 'F|a.z|?APPDIR?\\a.exe\r\n' >setup.txt
run_in "$WORK" "$PACK" scramble setup.txt setup.drc
expect_eq 0 "$STATUS" "scramble"
expect_eq "$(stat -c %s setup.txt)" "$(stat -c %s setup.drc)" "scrambled length"
# The first byte is XOR-ed with ~(1 + 0x5A) = 0xA4: 'F' (0x46) becomes 0xE2.
expect_eq "e2" "$(od -An -tx1 -N1 setup.drc | tr -d ' ')" "first scrambled byte"
run_in "$WORK" "$PACK" unscramble setup.drc plain.txt
expect_eq 0 "$STATUS" "unscramble"
cmp -s setup.txt plain.txt || fail "unscramble did not restore the plain script"
run_in "$WORK" "$PACK" unscramble missing.drc plain.txt
expect_eq 1 "$STATUS" "unscramble of a missing file"

# Help and usage.
for command in compress expand scramble unscramble; do
  run_in "$WORK" "$PACK" $command --help
  expect_eq 0 "$STATUS" "$command --help"
  expect_contains "$OUT" "Usage: setup-pack $command" "$command --help text"
done
run_in "$WORK" "$PACK" --help
expect_eq 0 "$STATUS" "--help"
run_in "$WORK" "$PACK" expand onlyone
expect_eq 2 "$STATUS" "wrong argument count"
run_in "$WORK" "$PACK" frobnicate
expect_eq 2 "$STATUS" "unknown command"
echo "setup_pack_payloads: ok"
