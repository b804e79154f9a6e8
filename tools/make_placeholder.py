#!/usr/bin/env python3
"""Writes a deterministic stand-in payload: SIZE bytes of a seeded xorshift32 stream, or, from 16 MB
on, of Python's seeded generator (a byte at a time would take minutes there).

The same seed always gives the same bytes, so tests can check installed files byte for byte.
Usage: make_placeholder.py OUTPUT SIZE [SEED]
"""
import random
import sys

LARGE = 16 << 20


def stream(size, seed):
    state = seed & 0xFFFFFFFF or 1
    out = bytearray(size)
    for i in range(size):
        state ^= (state << 13) & 0xFFFFFFFF
        state ^= state >> 17
        state ^= (state << 5) & 0xFFFFFFFF
        out[i] = state & 0xFF
    return bytes(out)


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    output, size = sys.argv[1], int(sys.argv[2])
    seed = int(sys.argv[3], 0) if len(sys.argv) == 4 else 0x5E7F01D
    data = stream(size, seed) if size < LARGE else random.Random(seed).randbytes(size)
    try:
        with open(output, "rb") as existing:
            if existing.read() == data:
                return  # unchanged: keep the timestamp so nothing rebuilds
    except OSError:
        pass
    with open(output, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
