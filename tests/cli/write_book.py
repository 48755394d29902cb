# SPDX-License-Identifier: MIT
"""Writes a small field book in the instrument's M5 layout from a short description on standard
input, one line each (blank lines and lines after # are ignored):

    run R [WORD]                  the run number of the lines that follow; with WORD, a
                                  start-of-line record naming the method ("Start-Line  WORD  R")
    POINT CODE READING DISTANCE [READING_UNIT [DISTANCE_UNIT]]
                                  one line of that run (units "m" unless given)

Usage: write_book.py OUT.DAT <description
"""
import sys


def put(line, first, count, value, right=True):
    value = value[:count]
    at = first + count - len(value) if right else first
    line[at:at + len(value)] = value


def frame(address):
    line = list(" " * 119)
    put(line, 0, 6, "For M5", right=False)
    for column in (6, 16, 48, 71, 94, 117):
        line[column] = "|"
    put(line, 7, 3, "Adr", right=False)
    put(line, 10, 6, str(address))
    return line


def main():
    lines = []
    run = ""
    for text in sys.stdin.read().splitlines():
        words = text.split("#")[0].split()
        if not words:
            continue
        address = len(lines) + 1
        if words[0] == "run":
            run = words[1]
            if len(words) > 2:
                line = frame(address)
                put(line, 17, 27, "TO  Start-Line     " + words[2], right=False)
                put(line, 44, 4, run)
                lines.append("".join(line))
            continue
        point, code, reading, distance = words[:4]
        units = (words[4:] + ["m", "m"])[:2]
        line = frame(address)
        put(line, 17, 3, "KD1", right=False)
        put(line, 20, 9, point)
        put(line, 29, 15, "12.0 C  2")
        put(line, 44, 4, run)
        put(line, 49, 2, code, right=False)
        put(line, 51, 15, reading)
        put(line, 66, 5, " " + units[0], right=False)
        put(line, 72, 2, "HD", right=False)
        put(line, 74, 15, distance)
        put(line, 89, 5, " " + units[1], right=False)
        lines.append("".join(line))
    with open(sys.argv[1], "w", newline="", encoding="cp1251") as out:
        out.write("".join(line + "\r\n" for line in lines))


main()
