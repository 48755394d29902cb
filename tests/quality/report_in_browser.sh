#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Opens the quality report of a sample field book in a real headless browser (Chromium):
# takes a screenshot and checks that the page drew its red findings and its blue profiles, and
# prints the page to PDF and checks that the paper is A4. Skipped (77) without Chromium.
# Usage: report_in_browser.sh CLI FIELD_BOOK OUTPUT_DIR
set -u
cli=$1
book=$2
outdir=$3
browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
  echo "SKIP: no chromium"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$outdir"

"$cli" report --output "$work/report.html" "$book"
status=$?
if [ "$status" != 0 ] && [ "$status" != 4 ]; then
  echo "FAIL: report exited $status"
  exit 1
fi

# A fresh profile each time, nothing fetched or synced, no sandbox (the tests run as root). The
# browser gets a home of its own too: it keeps crash reports and settings there, never in the
# user's.
run_browser() {
  mkdir -p "$work/home-$1"
  HOME="$work/home-$1" XDG_CONFIG_HOME="$work/home-$1/.config" XDG_CACHE_HOME="$work/home-$1/.cache" \
  timeout 120 "$browser" --headless --no-sandbox --disable-gpu --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$work/profile-$1" "${@:2}" >"$work/browser-$1.log" 2>&1
}
run_browser shot --hide-scrollbars --window-size=900,1300 \
  --screenshot="$outdir/report-screenshot.png" "file://$work/report.html"
run_browser pdf --no-pdf-header-footer --print-to-pdf="$work/report.pdf" "file://$work/report.html"
if [ ! -s "$outdir/report-screenshot.png" ] || [ ! -s "$work/report.pdf" ]; then
  echo "FAIL: the browser made no picture or no PDF"
  cat "$work"/browser-*.log
  exit 1
fi

python3 - "$outdir/report-screenshot.png" "$work/report.pdf" <<'PY'
import re, struct, sys, zlib

def pixels(path):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    pos, idat, width = 8, b"", 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and colour in (2, 6) and interlace == 0, (depth, colour, interlace)
            size = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw, stride, rows, prior = zlib.decompress(idat), width * size, [], bytearray(width * size)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            a = line[i - size] if i >= size else 0
            b, c = prior[i], prior[i - size] if i >= size else 0
            if kind == 1: line[i] = (line[i] + a) & 255
            elif kind == 2: line[i] = (line[i] + b) & 255
            elif kind == 3: line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        prior = line
    return width, height, [(r[i], r[i + 1], r[i + 2]) for r in rows for i in range(0, stride, size)]

width, height, rgb = pixels(sys.argv[1])
near = lambda p, q: all(abs(x - y) <= 40 for x, y in zip(p, q))
red = sum(1 for p in rgb if near(p, (0xC0, 0, 0)))
blue = sum(1 for p in rgb if near(p, (0x1F, 0x4E, 0x9A)))
white = sum(1 for p in rgb if p == (255, 255, 255))
print(f"screenshot {width}x{height}: {red} red, {blue} blue, {white} white pixels")
assert (width, height) == (900, 1300), (width, height)
assert red > 200, "no red findings drawn"
assert blue > 200, "no profile drawn"
assert white > len(rgb) // 3, "the page is not mostly paper"

pdf = open(sys.argv[2], "rb").read()
boxes = re.findall(rb"/MediaBox\s*\[\s*0\s+0\s+([\d.]+)\s+([\d.]+)\s*\]", pdf)
assert boxes, "no page size in the PDF"
for w, h in boxes:
    # A4 is 210 mm x 297 mm: 595.28 x 841.89 points.
    assert abs(float(w) - 595.3) < 2 and abs(float(h) - 841.9) < 2, (w, h)
print(f"PDF: {len(boxes)} A4 pages")
PY
