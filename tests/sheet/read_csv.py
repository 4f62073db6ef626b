#!/usr/bin/env python3
"""Reads a CSV file with Python's csv module and prints its rows as JSON, with what the
tests check of the bytes themselves: the byte-order mark and the line ends.

    read_csv.py FILE
"""
import csv
import json
import sys


def dump(path):
    with open(path, "rb") as f:
        data = f.read()
    bom = data.startswith(b"\xef\xbb\xbf")
    text = data.decode("utf-8-sig")
    # Line ends outside quoted fields: every one must be CR LF.
    bare_lf = 0
    quoted = False
    for i, ch in enumerate(text):
        if ch == '"':
            quoted = not quoted
        elif ch == "\n" and not quoted and (i == 0 or text[i - 1] != "\r"):
            bare_lf += 1
    with open(path, newline="", encoding="utf-8-sig") as f:
        rows = list(csv.reader(f, strict=True))
    json.dump({"bom": bom, "bare_lf": bare_lf, "ends_with_crlf": data.endswith(b"\r\n"), "rows": rows},
              sys.stdout)


if __name__ == "__main__":
    dump(sys.argv[1])
