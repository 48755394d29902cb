#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks the sample field books in samples/ on their own terms:

  * every line ends in CR LF; M5 lines are 119 characters with '|' at
    columns 6, 16, 48, 71, 94, 117 and a blank at 118; plain lines have
    their fields in the agreed columns;
  * the instrument's own Sh line equals the sum of height differences and
    the KD2 line's Db/Df equal the summed back and fore distances;
  * the run list worked out here with exact decimal arithmetic matches the
    hand-written files in tests/cli/expected/.

It reads the .DAT files column by column and shares nothing with
make_samples.py.

    python3 samples/tools/check_samples.py          # exit status 0 = all good
    python3 samples/tools/check_samples.py --show   # also print each run's sums
"""
import sys
from decimal import Decimal, ROUND_HALF_UP, getcontext
from pathlib import Path

getcontext().prec = 40
ROOT = Path(__file__).resolve().parents[2]
SAMPLES = ROOT / "samples"
EXPECTED = ROOT / "tests" / "cli" / "expected"

SKIP_MARKERS = ("Start-Line", "End-Line", "Measurement repeated",
                "Station repeated", "#####", ".DAT")
KEPT_TYPES = ("Rb", "Rf", "Sh", "Db", "Rz")
COEFFICIENT = {1: Decimal("0.002"), 2: Decimal("0.005"),
               3: Decimal("0.01"), 4: Decimal("0.02")}

problems = []


def problem(text):
    problems.append(text)
    print("PROBLEM:", text)


def cut(line, first, count):
    return line[first:first + count]


def read_lines(path):
    data = path.read_bytes()
    if not data.endswith(b"\r\n"):
        problem(f"{path.name}: last line does not end in CR LF")
    body = data.split(b"\r\n")
    if body[-1] == b"":
        body = body[:-1]
    for i, raw in enumerate(body, 1):
        if b"\n" in raw or b"\r" in raw:
            problem(f"{path.name}:{i}: stray CR or LF inside the line")
    return [raw.decode("ascii") for raw in body]


def record(line):
    if line.startswith("For"):
        return dict(point=cut(line, 20, 9), run=cut(line, 44, 4),
                    type=cut(line, 49, 2), reading=cut(line, 51, 15),
                    distance=cut(line, 74, 15))
    return dict(point=cut(line, 7, 9), run=cut(line, 31, 4),
                type=cut(line, 36, 2), reading=cut(line, 38, 13),
                distance=cut(line, 53, 13))


def check_m5_layout(name, lines):
    for i, line in enumerate(lines, 1):
        if not line.startswith("For M5|Adr"):
            problem(f"{name}:{i}: not an M5 line")
            continue
        if len(line) != 119:
            problem(f"{name}:{i}: {len(line)} characters, not 119")
        bars = [p for p, c in enumerate(line) if c == "|"]
        if bars != [6, 16, 48, 71, 94, 117]:
            problem(f"{name}:{i}: separators at {bars}")
        if line[118:] != " ":
            problem(f"{name}:{i}: column 118 is not a blank")
        if cut(line, 10, 6).strip() != str(i):
            problem(f"{name}:{i}: address {cut(line, 10, 6)!r}")
        if cut(line, 66, 5) not in (" m   ", " " * 5):
            problem(f"{name}:{i}: reading unit {cut(line, 66, 5)!r}")
        if cut(line, 89, 5) not in (" m   ", " " * 5):
            problem(f"{name}:{i}: distance unit {cut(line, 89, 5)!r}")
        third = cut(line, 95, 1)
        if third not in ("Z", " "):
            problem(f"{name}:{i}: third value type {third!r}")
        if third == "Z":
            Decimal(cut(line, 96, 16))  # must be a number
            if cut(line, 112, 3) != " m ":
                problem(f"{name}:{i}: height unit {cut(line, 112, 3)!r}")
        run = cut(line, 44, 4)
        if run.strip() and run != run.strip().rjust(4):
            problem(f"{name}:{i}: run number not right-aligned {run!r}")
        kind = cut(line, 49, 2)
        if kind.strip():
            # the value and distance must be right-aligned numbers
            for first, count in ((51, 15), (74, 15)):
                text = cut(line, first, count)
                if text != text.strip().rjust(count):
                    problem(f"{name}:{i}: field at {first} not right-aligned")
                Decimal(text)


def check_plain_layout(name, lines):
    for i, line in enumerate(lines, 1):
        if line.startswith("For"):
            problem(f"{name}:{i}: plain line starting with 'For'")
        if len(line) < 66:
            problem(f"{name}:{i}: only {len(line)} characters")
        if cut(line, 0, 6).strip() != str(i):
            problem(f"{name}:{i}: record counter {cut(line, 0, 6)!r}")
        kind = cut(line, 36, 2).strip()
        if kind in KEPT_TYPES:
            Decimal(cut(line, 38, 13))
            Decimal(cut(line, 53, 13))
            if cut(line, 51, 2) != "  " or line[35] != " " or line[16] != " ":
                problem(f"{name}:{i}: fields run into each other")


def kept_records(lines):
    out = []
    for line in lines:
        if not line.strip():
            continue
        if any(marker in line for marker in SKIP_MARKERS):
            continue
        rec = record(line)
        if rec["type"].strip() not in KEPT_TYPES:
            continue
        out.append(rec)
    return out


def evaluate(records, run):
    count, state = 1, 0
    height_sum = back = fore = back_distance = distance_sum = Decimal(0)
    points = []
    for rec in records:
        if rec["run"].strip() != run:
            continue
        kind = rec["type"].strip()
        if kind == "Rb":
            back = Decimal(rec["reading"])
            back_distance = Decimal(rec["distance"])
            if state == 0:
                state = 1
        if kind == "Rf" or state == 1:
            if state != 1:
                fore = Decimal(rec["reading"])
            if state == 1:
                height_sum = Decimal(0)
                state = 2
            else:
                height_sum = height_sum + back - fore
                distance_sum = distance_sum + back_distance + \
                    Decimal(rec["distance"])
            points.append(rec["point"].strip())
            count += 1
    return count, points, height_sum, distance_sum


def shown(value):
    rounded = value.quantize(Decimal("0.0001"), rounding=ROUND_HALF_UP)
    text = format(rounded, "f")
    if "." in text:
        text = text.rstrip("0").rstrip(".")
    if text == "0" and value < 0:
        text = "-0"
    return text


def entry(records, run, klass):
    count, points, height_sum, distance_sum = evaluate(records, run)
    if count <= 2:
        return f"{run} // ****"
    if points[-1] != points[0]:
        return f"{run} // ----"
    limit = COEFFICIENT[klass] * (distance_sum * Decimal("0.001")).sqrt()
    text = f"{run} // {shown(height_sum)}"
    return text + " " if abs(height_sum) > limit else text


def run_list(records, klass):
    stretches = []
    for rec in records:
        run = rec["run"].strip()
        if not stretches or stretches[-1] != run:
            stretches.append(run)
    return [entry(records, run, klass) for run in stretches]


def check_instrument_sums(name, lines):
    """Sh = sum of height differences, Db/Df = summed distances, per run."""
    records = kept_records(lines)
    for line in lines:
        rec = record(line)
        kind = rec["type"].strip()
        if kind not in ("Sh", "Db") or any(m in line for m in SKIP_MARKERS):
            continue
        run = rec["run"].strip()
        _, _, height_sum, _ = evaluate(records, run)
        backs, fores, back_d = Decimal(0), Decimal(0), None
        for r in records:
            if r["run"].strip() != run:
                continue
            if r["type"] == "Rb":
                back_d = Decimal(r["distance"])
            elif r["type"] == "Rf":
                backs += back_d
                fores += Decimal(r["distance"])
        if kind == "Sh" and Decimal(rec["reading"]) != height_sum:
            problem(f"{name}: run {run}: Sh {rec['reading'].strip()} "
                    f"but sum of differences {height_sum}")
        if kind == "Db":
            q = Decimal("0.01")
            if Decimal(rec["reading"]) != backs.quantize(q, ROUND_HALF_UP) or \
               Decimal(rec["distance"]) != fores.quantize(q, ROUND_HALF_UP):
                problem(f"{name}: run {run}: Db/Df {rec['reading'].strip()}/"
                        f"{rec['distance'].strip()} but {backs}/{fores}")


def main():
    show = "--show" in sys.argv
    books = {"levelling_m5": check_m5_layout,
             "plain_layout": check_plain_layout}
    for stem, layout_check in books.items():
        path = SAMPLES / f"{stem}.DAT"
        lines = read_lines(path)
        layout_check(path.name, lines)
        check_instrument_sums(path.name, lines)
        records = kept_records(lines)
        if show:
            print(f"== {path.name}: {len(lines)} lines, "
                  f"{len(records)} records kept")
            for run in dict.fromkeys(r["run"].strip() for r in records):
                count, points, hs, ds = evaluate(records, run)
                limits = ", ".join(
                    f"T{k}={COEFFICIENT[k] * (ds / 1000).sqrt():.7f}"
                    for k in (1, 2, 3, 4))
                print(f"  run {run}: count={count} points={points} "
                      f"heightSum={hs} distanceSum={ds} {limits}")
            for klass in (1, 2, 3, 4):
                print(f"  class {klass}: {run_list(records, klass)}")
        for expected in sorted(EXPECTED.glob(f"{stem}.class*.txt")):
            klass = int(expected.name.split(".class")[1].split(".")[0])
            want = expected.read_text().split("\n")
            if want[-1] != "":
                problem(f"{expected.name}: last line not ended by LF")
            want = want[:-1]
            got = run_list(records, klass)
            if got != want:
                problem(f"{expected.name}: expected {want}, worked out {got}")
            elif show:
                print(f"  {expected.name}: matches")
    if problems:
        print(f"{len(problems)} problem(s)")
        return 1
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
