"""Compares the cells LibreOffice read back from an export with the grid's cells."""
import csv
import json
import re
import sys
import zipfile
import xml.etree.ElementTree as ET

TEXT = "urn:oasis:names:tc:opendocument:xmlns:text:1.0"
TABLE = "urn:oasis:names:tc:opendocument:xmlns:table:1.0"


def csv_cells(path):
    with open(path, encoding="utf-8", newline="") as f:
        return [row for row in csv.reader(f)]


def odt_text(element):
    parts = [element.text or ""]
    for child in element:
        tag = child.tag.split("}")[1]
        if tag == "tab":
            parts.append("\t")
        elif tag == "line-break":
            parts.append("\n")
        elif tag == "s":
            parts.append(" " * int(child.get("{%s}c" % TEXT, "1")))
        else:
            parts.append(odt_text(child))
        parts.append(child.tail or "")
    return "".join(parts)


def odt_cells(path):
    with zipfile.ZipFile(path) as z:
        root = ET.fromstring(z.read("content.xml"))
    rows = []
    for row in root.iter("{%s}table-row" % TABLE):
        cells = []
        for cell in row.findall("{%s}table-cell" % TABLE):
            paragraphs = cell.findall("{%s}p" % TEXT)
            cells.append("\n".join(odt_text(p) for p in paragraphs))
        rows.append(cells)
    return rows


def html_shown(text):
    # A page shows runs of white space as one space, and an empty cell as a hard space.
    text = re.sub(r"[ \t\r\n]+", " ", text)
    return "" if text.strip(" \u00a0") == "" else text


def main():
    kind, expected_path, read_path = sys.argv[1:4]
    with open(expected_path, encoding="utf-8") as f:
        expected = json.load(f)
    actual = odt_cells(read_path) if kind == "rtf" else csv_cells(read_path)
    if kind == "htm":
        expected = [[html_shown(c) for c in row] for row in expected]
        actual = [[html_shown(c) for c in row] for row in actual]
    failures = 0
    if len(actual) != len(expected):
        print("FAIL %s: %d rows read back, %d written" % (kind, len(actual), len(expected)))
        failures += 1
    for r, (want_row, got_row) in enumerate(zip(expected, actual)):
        got_row = got_row + [""] * (len(want_row) - len(got_row))
        for c, want in enumerate(want_row):
            if got_row[c] != want:
                print("FAIL %s row %d column %d: %r read back as %r" % (kind, r, c, want[:60], got_row[c][:60]))
                failures += 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
