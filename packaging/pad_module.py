#!/usr/bin/python3
"""Pads a stripped Windows module to a whole number of eight-byte words and
stores its PE checksum anew.

    pad_module.py <module> <padded module>

objcopy leaves the section names' string table after the last section, and
with it the file's length odd. Programs that check the PE checksum differ on
how a last odd byte counts, so that the one stored satisfies some and not
others; at an even length they all agree. Eight bytes is also where a
signature, appended later, begins. The zeros go after the string table,
where nothing reads them.
"""

import os
import sys

import pefile

ALIGNMENT = 8


def padded(data):
    data += b"\0" * (-len(data) % ALIGNMENT)
    module = pefile.PE(data=data, fast_load=True)
    module.OPTIONAL_HEADER.CheckSum = module.generate_checksum()
    return module.write()


def main(argv):
    if len(argv) != 3:
        print(__doc__.split("\n\n")[1], file=sys.stderr)
        return 2
    with open(argv[1], "rb") as f:
        data = padded(f.read())
    unfinished = argv[2] + ".unfinished"
    with open(unfinished, "wb") as f:
        f.write(data)
    os.replace(unfinished, argv[2])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
