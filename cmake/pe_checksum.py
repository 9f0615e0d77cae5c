#!/usr/bin/env python3
"""Writes the PE checksum of a linked image into its optional header.

Windows checks it only for drivers and boot files, but signing tools, installers and virus
scanners read an image without one, or with a stale one, as a sign of tampering. GNU ld 2.40
already writes it; this step makes the image right whatever linker produced it, and leaves a
correct value untouched, so the output stays bit for bit the same.
"""
import struct
import sys


def checksum_offset(image):
    if image[:2] != b"MZ":
        raise ValueError("no MZ header")
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    # Signature (4), file header (20), then CheckSum at 64 in either optional header form.
    return pe + 4 + 20 + 64


def pe_checksum(image, field):
    """The one's-complement sum of the 16-bit words, field itself read as 0, plus the length."""
    total = 0
    padded = image + b"\0" if len(image) % 2 else image
    for (word,) in struct.iter_unpack("<H", padded):
        total += word
    total -= sum(struct.unpack_from("<HH", image, field))
    # Fold the carries back in until the sum fits 16 bits.
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(image)) & 0xFFFFFFFF


def main(path):
    with open(path, "rb") as f:
        image = f.read()
    field = checksum_offset(image)
    value = pe_checksum(image, field)
    if struct.unpack_from("<I", image, field)[0] == value:
        return 0
    with open(path, "r+b") as f:
        f.seek(field)
        f.write(struct.pack("<I", value))
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: pe_checksum.py IMAGE.exe")
    try:
        sys.exit(main(sys.argv[1]))
    except (OSError, ValueError, struct.error) as error:
        sys.exit(f"pe_checksum.py: {sys.argv[1]}: {error}")
