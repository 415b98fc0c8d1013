#!/usr/bin/python3
"""Typesets a plain-text document as a PDF, for the documents the program opens.

The text is taken as written: its first line is the title, set in bold; the
other lines keep their own line breaks (write them at most about 80
characters long); a line of "=" or "-" under a line makes it a heading.
Helvetica and its bold face are fonts every PDF reader has, so nothing is
embedded, and the characters are those of Windows-1252. Nothing varies from
one run to the next: the same text gives the same file.

    text-to-pdf.py INPUT.txt OUTPUT.pdf
"""

import sys

PAGE_WIDTH, PAGE_HEIGHT = 595, 842  # A4, in points
MARGIN = 64
BODY_SIZE, TITLE_SIZE, HEADING_SIZE = 10, 15, 11
LEADING = 1.35


def escape(text):
    return text.replace("\\", "\\\\").replace("(", "\\(").replace(")", "\\)")


def layout(lines):
    """Lines as (font, size, text), heading underlines dropped."""
    laid = []
    for index, line in enumerate(lines):
        if line and set(line) <= set("=-") and index > 0 and lines[index - 1]:
            continue
        underlined = index + 1 < len(lines) and lines[index + 1] and set(lines[index + 1]) <= set("=-")
        if index == 0:
            laid.append(("F2", TITLE_SIZE, line))
        elif underlined:
            laid.append(("F2", HEADING_SIZE, line))
        else:
            laid.append(("F1", BODY_SIZE, line))
    return laid


def pages(laid):
    """Splits the lines into pages; each line as (font, size, text, baseline)."""
    result, page = [], []
    y = PAGE_HEIGHT - MARGIN
    for font, size, text in laid:
        step = size * LEADING
        if y - step < MARGIN:
            result.append(page)
            page, y = [], PAGE_HEIGHT - MARGIN
        y -= step
        page.append((font, size, text, y))
    result.append(page)
    return result


def content_stream(page):
    parts = ["BT"]
    for font, size, text, y in page:
        if text:
            parts.append(f"/{font} {size} Tf 1 0 0 1 {MARGIN} {y:.2f} Tm ({escape(text)}) Tj")
    parts.append("ET")
    return "\n".join(parts).encode("cp1252")


def pdf(text):
    body = pages(layout(text.rstrip("\n").split("\n")))
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        None,  # the page tree, once the pages are numbered
        b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
        b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding /WinAnsiEncoding >>",
    ]
    kids = []
    for page in body:
        stream = content_stream(page)
        objects.append(b"<< /Length %d >>\nstream\n" % len(stream) + stream + b"\nendstream")
        objects.append(b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %d %d] /Contents %d 0 R "
                       b"/Resources << /Font << /F1 3 0 R /F2 4 0 R >> >> >>"
                       % (PAGE_WIDTH, PAGE_HEIGHT, len(objects)))
        kids.append(len(objects))
    objects[1] = b"<< /Type /Pages /Kids [%s] /Count %d >>" % (
        b" ".join(b"%d 0 R" % kid for kid in kids), len(kids))

    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = []
    for number, obj in enumerate(objects, start=1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + obj + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    out += b"".join(b"%010d 00000 n \n" % offset for offset in offsets)
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    return bytes(out)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], encoding="utf-8") as source:
        document = pdf(source.read())
    with open(argv[2], "wb") as target:
        target.write(document)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
