#!/usr/bin/env python3
"""Deterministic benchmark payloads made of this machine's own files (documentation texts and ELF
programs, not random bytes), so that they compress as real products do.

  machine_payloads.py small DIR COUNT TEXT_MB ELF_MB   COUNT files of 1-20 KB in folders of 100
  machine_payloads.py large DIR TEXT_MB ELF_MB         5 files of 84 MB in all
"""
import os
import sys


def pool(paths, limit):
    data = bytearray()
    for path in paths:
        try:
            with open(path, "rb") as f:
                data += f.read()
        except OSError:
            pass
        if len(data) >= limit:
            break
    return bytes(data)


def files_under(top, keep):
    found = []
    for folder, _, names in os.walk(top):
        found += [os.path.join(folder, n) for n in names if keep(n)]
    return sorted(p for p in found if os.path.isfile(p) and not os.path.islink(p))


def pools(text_mb, elf_mb):
    texts = pool(files_under("/usr/share/doc", lambda n: not n.endswith(".gz")), text_mb << 20)
    elves = pool([p for p in files_under("/usr/lib/x86_64-linux-gnu", lambda n: ".so" in n)
                  if open(p, "rb").read(4) == b"\x7fELF"], elf_mb << 20)
    return texts, elves


def small(top, count, mixed):
    for i in range(count):
        size = 1024 + (i * 7919) % (19 * 1024)
        start = (i * 104729) % (len(mixed) - size)
        folder = os.path.join(top, "dir%02d" % (i // 100))
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "file%04d.dat" % i), "wb") as f:
            f.write(mixed[start:start + size])


def large(top, elves, mixed):
    os.makedirs(top, exist_ok=True)
    each = (84 << 20) // 5
    for i in range(5):
        source = elves if i % 2 == 0 else mixed
        start = (i * 7340033) % (len(source) - each)
        with open(os.path.join(top, "part%d.bin" % i), "wb") as f:
            f.write(source[start:start + each])


def main(args):
    if len(args) == 5 and args[0] == "small":
        texts, elves = pools(int(args[3]), int(args[4]))
        small(args[1], int(args[2]), texts + elves)
    elif len(args) == 4 and args[0] == "large":
        texts, elves = pools(int(args[2]), int(args[3]))
        large(args[1], elves, texts + elves)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
