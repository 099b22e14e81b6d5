#!/usr/bin/env python3
"""Writes raw I420 frames whose picture is their own number: a barcode of 16 vertical bars.

Bar 0 is white and bar 1 black (they tell the reader where black and white are), bars 2..13 are
the 12 bits of the frame number, most significant first (white = 1), bar 14 is odd parity and
bar 15 black. Usage: make-framecode.py WIDTH HEIGHT FRAMES > raw.i420
"""
import sys

BARS = 16
BITS = 12


def bars(n):
    bits = [(n >> (BITS - 1 - i)) & 1 for i in range(BITS)]
    return [1, 0] + bits + [sum(bits) % 2, 0]


def main():
    width, height, frames = (int(a) for a in sys.argv[1:4])
    bar = width // BARS
    chroma = bytes([128]) * ((width // 2) * (height // 2) * 2)
    out = sys.stdout.buffer
    for n in range(frames):
        row = b"".join((b"\xeb" if on else b"\x10") * bar for on in bars(n))
        row = row.ljust(width, b"\x10")
        out.write(row * height)
        out.write(chroma)


if __name__ == "__main__":
    main()
