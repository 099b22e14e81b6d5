#!/usr/bin/env python3
"""Wraps an MPEG-1 system stream into a Video CD file: RIFF "CDXA" of raw Mode 2 sectors."""
import struct
import sys

PAYLOAD = 2324
SYNC = b"\x00" + b"\xff" * 10 + b"\x00"


def bcd(n):
    return ((n // 10) << 4) | (n % 10)


def sector(index, payload):
    lba = index + 150  # the two-second pre-gap every disc starts with
    header = bytes([bcd(lba // 4500), bcd(lba // 75 % 60), bcd(lba % 75), 2])
    sub = bytes([1, 1, 0x62, 0x0F]) * 2  # file 1, channel 1, form 2 real-time video
    return SYNC + header + sub + payload.ljust(PAYLOAD, b"\x00") + b"\x00" * 4


def main(src, dst):
    data = open(src, "rb").read()
    sectors = [sector(i, data[o:o + PAYLOAD]) for i, o in enumerate(range(0, len(data), PAYLOAD))]
    body = b"".join(sectors)
    fmt = struct.pack("<IIHHBBBB", 0, 0, 0x1511, 0x5858, 1, 0, 0, 0)  # the usual 16-byte CDXA fmt chunk
    riff = b"CDXA" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(body)) + body
    with open(dst, "wb") as out:
        out.write(b"RIFF" + struct.pack("<I", len(riff)) + riff)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
