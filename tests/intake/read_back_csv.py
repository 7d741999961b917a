#!/usr/bin/python3
"""Reads the export the intake test wrote back with Python's csv module, as a spreadsheet would, and compares
every field with the records the test stored (accents, quotes, commas and line ends included)."""
import csv
import sys

HEADER = ["File Name", "Download Date", "Title", "Keywords", "Location", "Abstract"]
RECORDS = [
    ["CAFE.ZIP", "01/05/96", 'Zebra café "quoted", with comma', "", "C:\\KS\\KS_STORE", ""],
    ["ALPHA.TXT", "01/05/96", "Alpha", "", "C:\\KS\\KS_STORE", ""],
    ["LINES.DOC", "12/25/96", "Middle", "one;two", "D:\\Old Store", "first line\r\nsecond line «»"],
]

def main(path):
    with open(path, newline="", encoding="utf-8-sig") as f:
        rows = list(csv.reader(f))
    expected = [HEADER] + RECORDS
    if rows != expected:
        print("read back:", rows)
        print("expected: ", expected)
        return 1
    print(f"{len(rows) - 1} records read back equal")
    return 0

if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
