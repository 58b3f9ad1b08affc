"""Compares the cells LibreOffice read back from an export with the grid's cells."""
import csv
import json
import re
import sys
import zipfile
import xml.etree.ElementTree as ET

TEXT = "urn:oasis:names:tc:opendocument:xmlns:text:1.0"
TABLE = "urn:oasis:names:tc:opendocument:xmlns:table:1.0"
STYLE = "urn:oasis:names:tc:opendocument:xmlns:style:1.0"
FO = "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"


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


def odt_content(path):
    with zipfile.ZipFile(path) as z:
        return ET.fromstring(z.read("content.xml"))


def odt_cells(path):
    root = odt_content(path)
    rows = []
    for row in root.iter("{%s}table-row" % TABLE):
        cells = []
        for cell in row.findall("{%s}table-cell" % TABLE):
            paragraphs = cell.findall("{%s}p" % TEXT)
            cells.append("\n".join(odt_text(p) for p in paragraphs))
        rows.append(cells)
    return rows


def style_colours(root):
    colours = {}
    for style in root.iter("{%s}style" % STYLE):
        found = {}
        for properties in style:
            for key in ("background-color", "color"):
                value = properties.get("{%s}%s" % (FO, key))
                if value and value.startswith("#"):
                    found[key] = value
        colours[style.get("{%s}name" % STYLE)] = found
    return colours


def luminance(colour):
    def channel(value):
        c = int(value, 16) / 255
        return c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(colour[i:i + 2]) for i in (1, 3, 5))
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    light, dark = sorted((luminance(a), luminance(b)), reverse=True)
    return (light + 0.05) / (dark + 0.05)


def unreadable_titles(path):
    """Title cells of the page whose text colour hardly differs from what lies behind it."""
    root = odt_content(path)
    colours = style_colours(root)
    table = next(root.iter("{%s}table" % TABLE))
    behind = colours.get(table.get("{%s}style-name" % TABLE), {}).get("background-color", "#ffffff")
    failures = []
    for c, cell in enumerate(next(table.iter("{%s}table-row" % TABLE)).findall("{%s}table-cell" % TABLE)):
        background = colours.get(cell.get("{%s}style-name" % TABLE), {}).get("background-color", behind)
        text = "#000000"
        for element in cell.iter():
            text = colours.get(element.get("{%s}style-name" % TEXT), {}).get("color", text)
        if contrast(text, background) < 4.5:
            failures.append("FAIL htm title %d: text %s on %s cannot be read" % (c, text, background))
    return failures


def html_shown(text):
    # A page shows runs of white space as one space, and an empty cell as a hard space.
    text = re.sub(r"[ \t\r\n]+", " ", text)
    return "" if text.strip(" \u00a0") == "" else text


def main():
    kind, expected_path, read_path = sys.argv[1:4]
    with open(expected_path, encoding="utf-8") as f:
        expected = json.load(f)
    actual = odt_cells(read_path) if kind in ("rtf", "htm") else csv_cells(read_path)
    failures = 0
    if kind == "htm":
        expected = [[html_shown(c) for c in row] for row in expected]
        actual = [[html_shown(c) for c in row] for row in actual]
        for failure in unreadable_titles(read_path):
            print(failure)
            failures += 1
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
