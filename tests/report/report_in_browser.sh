#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Opens the levelling report of a field book in a real headless browser (Chromium), once in
# Russian (LANG=ru_RU.UTF-8) and once in English (LC_ALL=C): takes a screenshot of each and
# checks that the page drew its red findings and its blue profiles, prints each to PDF and checks
# that the paper is A4, that no word of it runs off the paper (no column clipped) and that the
# station tables, folded on screen, are printed whole. With --fixed among the options, the
# heights of the nodes on the page must be those that `adjust` prints. Skipped (77) without
# Chromium or pdftotext, or without the field book when it is a real one (failed so in CI).
# Usage: report_in_browser.sh CLI OUTPUT_DIR FIELD_BOOK [REPORT OPTIONS...]
#   REPORT_EXPECT_RU, REPORT_EXPECT_EN: texts (|-separated) the Russian / English page must hold
#   REAL_BOOK=1: FIELD_BOOK is a real one, looked for in $VELMORA_FIELD_BOOKS when that is set
set -u
cli=$1
outdir=$2
book=$3
shift 3
if [ "${REAL_BOOK:-}" = 1 ] && [ -n "${VELMORA_FIELD_BOOKS:-}" ]; then
  book="$VELMORA_FIELD_BOOKS/$(basename "$book")"
fi
browser=$(command -v chromium || command -v chromium-browser || true)
for tool in "$browser" "$(command -v pdftotext || true)"; do
  if [ -z "$tool" ]; then
    echo "SKIP: no chromium or no pdftotext (poppler-utils)"
    exit 77
  fi
done
if [ ! -f "$book" ]; then
  [ "${CI:-}" = true ] && { echo "FAIL: no field book $book"; exit 1; }
  echo "SKIP: no field book $book (set VELMORA_FIELD_BOOKS)"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$outdir"
name=$(basename "$book" | sed 's/\.[^.]*$//')

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

for language in ru en; do
  page="$work/report-$language.html"
  if [ "$language" = ru ]; then
    env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG=ru_RU.UTF-8 "$cli" report --output "$page" "$@" "$book"
  else
    env -u LANGUAGE LC_ALL=C "$cli" report --output "$page" "$@" "$book"
  fi
  status=$?
  if [ "$status" != 0 ] && [ "$status" != 4 ]; then
    echo "FAIL: report ($language) exited $status"
    exit 1
  fi
  shot="$outdir/report-$name-$language.png"
  run_browser "shot-$language" --hide-scrollbars --window-size=900,1300 --screenshot="$shot" "file://$page"
  run_browser "pdf-$language" --no-pdf-header-footer --print-to-pdf="$work/report-$language.pdf" "file://$page"
  if [ ! -s "$shot" ] || [ ! -s "$work/report-$language.pdf" ]; then
    echo "FAIL: the browser made no picture or no PDF ($language)"
    cat "$work"/browser-*.log
    exit 1
  fi
  pdftotext -bbox "$work/report-$language.pdf" "$work/words-$language.html" || exit 1
  pdftotext -layout "$work/report-$language.pdf" "$work/text-$language.txt" || exit 1
done

adjusted="$work/adjust.txt"
: >"$adjusted"
for option in "$@"; do
  if [ "$option" = --fixed ] || [ "$option" = --fixed-file ]; then
    env -u LANGUAGE LC_ALL=C "$cli" adjust "$@" "$book" >"$adjusted" 2>/dev/null || { echo "FAIL: adjust"; exit 1; }
    break
  fi
done

python3 - "$outdir" "$name" "$work" "$adjusted" <<'PY'
import html, os, re, struct, sys, zlib

outdir, name, work, adjusted = sys.argv[1:5]

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

# The last heading of each wide table, which a clipped table loses first.
last_headings = {"ru": ["Заключение", "Накопление,"], "en": ["Verdict", "Cumulative"]}
for language in ("ru", "en"):
    page = open(os.path.join(work, f"report-{language}.html"), encoding="utf-8").read()
    assert f'<html lang="{language}">' in page, f"{language}: wrong lang attribute"
    numbers = re.findall(r'<td class="n">(?:<span[^>]*>)?([^<]*)<', page)
    decimal = {"ru": ",", "en": "."}[language]
    other = {"ru": ".", "en": ","}[language]
    assert any(decimal in n for n in numbers), f"{language}: no number with a {decimal!r}"
    assert not any(re.search(r"\d" + re.escape(other) + r"\d", n) for n in numbers), \
        f"{language}: a number written with {other!r}"
    expected = os.environ.get("REPORT_EXPECT_" + language.upper(), "")
    for text in filter(None, expected.split("|")):
        assert text in page, f"{language}: the page lacks {text!r}"

    width, height, rgb = pixels(os.path.join(outdir, f"report-{name}-{language}.png"))
    near = lambda p, q: all(abs(x - y) <= 40 for x, y in zip(p, q))
    red = sum(1 for p in rgb if near(p, (0xC0, 0, 0)))
    blue = sum(1 for p in rgb if near(p, (0x1F, 0x4E, 0x9A)))
    white = sum(1 for p in rgb if p == (255, 255, 255))
    print(f"{language} screenshot {width}x{height}: {red} red, {blue} blue, {white} white pixels")
    assert (width, height) == (900, 1300), (width, height)
    assert red > 200, "no red findings drawn"
    assert blue > 200, "no profile drawn"
    assert white > len(rgb) // 3, "the page is not mostly paper"

    # Every page A4, every word on the paper: a table wider than the page would run off it.
    words = open(os.path.join(work, f"words-{language}.html"), encoding="utf-8").read()
    pages = re.findall(r'<page width="([\d.]+)" height="([\d.]+)">', words)
    assert pages, "no pages in the PDF"
    for w, h in pages:
        # A4 is 210 mm x 297 mm: 595.28 x 841.89 points.
        assert abs(float(w) - 595.3) < 2 and abs(float(h) - 841.9) < 2, (w, h)
    right = max(float(x) for x in re.findall(r'xMax="([\d.]+)"', words))
    assert right <= float(pages[0][0]) - 10, f"{language}: a word runs off the paper at {right}"
    text = open(os.path.join(work, f"text-{language}.txt"), encoding="utf-8").read()
    for heading in last_headings[language]:
        assert heading in text, f"{language}: {heading!r} is not printed"
    # The station tables are printed whole: a station row "1 <back point> <fore point> ...".
    assert re.search(r"^\s*1\s+\S+\s+\S+\s+[\d,.]+\s+[\d,.]+", text, re.M), \
        f"{language}: no station row printed"
    print(f"{language} PDF: {len(pages)} A4 pages, rightmost word at {right:.1f} pt")

# The heights of the nodes are those that adjust prints.
if os.path.getsize(adjusted):
    page = open(os.path.join(work, "report-en.html"), encoding="utf-8").read()
    table = page[page.index('<table class="heights">'):]
    table = table[:table.index("</table>")]
    shown = {html.unescape(p): h for p, h in
             re.findall(r'<tr><td>([^<]*)</td><td class="n">([^<]*)</td>', table)}
    printed = {}
    for line in open(adjusted, encoding="utf-8", errors="replace"):
        cells = line.rstrip("\n").split("\t")
        if len(cells) >= 2 and re.fullmatch(r"-?\d+\.\d+", cells[1]) and cells[0] not in printed:
            printed[cells[0]] = cells[1]
    assert shown, "no heights on the page"
    for point, height in shown.items():
        assert printed.get(point) == height.replace("\u2212", "-"), (point, height, printed.get(point))
    print(f"{len(shown)} node heights as adjust prints them")
PY
