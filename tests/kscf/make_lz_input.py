#!/usr/bin/env python3
"""Writes one deterministic input file for the LZ copy tests: make_lz_input.py NAME OUTPUT_FILE.

Text inputs repeat words and lines (long back-references, window wrap-around); binary inputs hold every
byte value and runs of zeros. Every input has at least 16 bytes, the smallest mscompress handles correctly.
"""
import sys


def pseudo_random(count, seed):
    state = seed
    out = bytearray()
    for _ in range(count):
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        out.append(state >> 16 & 0xFF)
    return bytes(out)


def text(size):
    words = ["download", "catalogue", "area", "store", "record", "abstract", "keywords", "title"]
    lines, total, n = [], 0, 0
    while total < size:
        line = " ".join(words[(n * 3 + i) % len(words)] for i in range(n % 7 + 1)) + f" {n}\r\n"
        lines.append(line)
        total += len(line)
        n += 1
    return "".join(lines).encode("ascii")[:size]


def binary(size, seed):
    data = bytearray()
    block = 0
    while len(data) < size:
        data += bytes(range(256)) if block % 3 == 0 else bytes(300) if block % 3 == 1 else pseudo_random(700, seed + block)
        block += 1
    return bytes(data[:size])


INPUTS = {
    "text_16": lambda: b"Sixteen bytes!!\n",
    "text_5k": lambda: text(5000),
    "binary_3k": lambda: pseudo_random(3000, 7),
    "binary_64k": lambda: binary(65536, 11),
}

name, output = sys.argv[1], sys.argv[2]
with open(output, "wb") as f:
    f.write(INPUTS[name]())
