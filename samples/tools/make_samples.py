#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the two sample field books in samples/:

  levelling_m5.DAT   M5 layout, 119 characters + CR LF per line
  plain_layout.DAT   plain fixed-column layout, CR LF

Every reading and distance below was chosen by hand so that each run shows
one particular case (see samples/README.md for the sums worked out by hand).
The script is deterministic: running it again gives byte-identical files.

    python3 samples/tools/make_samples.py
"""
from decimal import Decimal as D
from pathlib import Path

HERE = Path(__file__).resolve().parent
SAMPLES = HERE.parent

EMPTY_VALUE = " " * 22  # an unused value block between two '|'


# --------------------------------------------------------------------------
# M5 layout
# --------------------------------------------------------------------------
class M5Book:
    def __init__(self, file_name):
        self.lines = []
        self.address = 0
        self.add_text(file_name, run="")

    # -- raw line ----------------------------------------------------------
    def _line(self, block, value3=EMPTY_VALUE, value4=EMPTY_VALUE,
              value5=EMPTY_VALUE):
        self.address += 1
        assert len(block) == 31, repr(block)
        assert len(value3) == len(value4) == len(value5) == 22
        line = ("For M5|Adr%6d|" % self.address + block + "|" + value3 + "|"
                + value4 + "|" + value5 + "| ")
        assert len(line) == 119, (len(line), line)
        self.lines.append(line)

    @staticmethod
    def _block(kind, point, info, run):
        # kind (3) + point number (9, right) + info (15) + run number (4, right)
        assert len(kind) == 3 and len(point) <= 9 and len(info) <= 15
        return kind + point.rjust(9) + info.ljust(15) + run.rjust(4)

    @staticmethod
    def _text_block(text, run):
        # "TO " + one blank + free text, run number in its usual place
        body = ("TO  " + text).ljust(27)
        assert len(body) == 27, text
        return body + run.rjust(4)

    @staticmethod
    def _value(kind, number, unit=" m   ", width=15):
        assert len(kind) == 2
        return kind + str(number).rjust(width) + unit

    @staticmethod
    def _height(number):
        return "Z" + format(D(number), ".5f").rjust(16) + " m   "

    # -- line kinds --------------------------------------------------------
    def add_text(self, text, run, value3=EMPTY_VALUE, value4=EMPTY_VALUE):
        self._line(self._text_block(text, run), value3, value4)

    def add_reading(self, run, point, temp, kind, reading, distance,
                    height=None, count=2):
        info = ("%10s C%3d" % (temp, count))
        self._line(self._block("KD1", point, info, run),
                   self._value(kind, reading),
                   self._value("HD", distance),
                   self._height(height) if height is not None else EMPTY_VALUE)

    def add_height(self, run, point, height, temp=None):
        info = "" if temp is None else "%10s C" % temp
        self._line(self._block("KD1", point, info, run),
                   EMPTY_VALUE, EMPTY_VALUE, self._height(height))

    def add_sum(self, run, point, sum_dh, dz, nominal):
        self._line(self._block("KD1", point, "", run),
                   self._value("Sh", format(sum_dh, ".5f")),
                   self._value("dz", format(dz, ".5f")),
                   self._height(nominal))

    def add_distances(self, run, point, stations, back, fore, end_height):
        self._line(self._block("KD2", point, "%9d" % stations, run),
                   self._value("Db", format(back, ".2f")),
                   self._value("Df", format(fore, ".2f")),
                   self._height(end_height))

    def text(self):
        return "".join(line + "\r\n" for line in self.lines)


class M5Run:
    """Writes one levelling run (or one stretch of it) station by station
    and keeps the instrument's running totals for its summary lines."""

    def __init__(self, book, run, start_point, start_height, temp):
        self.book, self.run, self.temp = book, run, temp
        self.start_point, self.start_height = start_point, D(start_height)
        self.height = D(start_height)
        self.stations = 0
        self.sum_dh = D(0)
        self.back_total = D(0)
        self.fore_total = D(0)
        self.point = start_point

    def begin(self, text="Start-Line     BF"):
        self.book.add_text(text, self.run)
        self.book.add_height(self.run, self.point, self.height)

    def station(self, back, fore, inter=(), temp=None, rejected=()):
        """back/fore: (point, reading, distance); inter: intermediate
        sights (point, reading, distance); rejected: readings thrown away
        on the spot, written before the good ones as
        (where, text, kind, reading, distance) with where in
        {"before_fore", "before_back"}."""
        t = temp or self.temp
        b_pt, b_r, b_d = back
        f_pt, f_r, f_d = fore
        assert b_pt == self.point, (b_pt, self.point)
        for where, text, kind, r, d in rejected:
            if where == "before_back":
                self._rejected(text, kind, r, d, t)
        self.book.add_reading(self.run, b_pt, t, "Rb", b_r, b_d)
        collimation = self.height + D(b_r)
        if inter:
            self.book.add_text("Intermediate sights", self.run)
            for i_pt, i_r, i_d in inter:
                self.book.add_reading(self.run, i_pt, t, "Rz", i_r, i_d,
                                      height=collimation - D(i_r))
            self.book.add_text("End of interm. sights", self.run)
        for where, text, kind, r, d in rejected:
            if where == "before_fore":
                self._rejected(text, kind, r, d, t)
        self.book.add_reading(self.run, f_pt, t, "Rf", f_r, f_d)
        self.height = collimation - D(f_r)
        self.book.add_height(self.run, f_pt, self.height, temp=t)
        self.stations += 1
        self.sum_dh += D(b_r) - D(f_r)
        self.back_total += D(b_d)
        self.fore_total += D(f_d)
        self.point = f_pt

    def _rejected(self, text, kind, reading, distance, temp):
        self.book.add_text(text, self.run,
                           M5Book._value(kind, reading),
                           M5Book._value("HD", distance))

    def finish(self, nominal_end=None, end_text="End-Line"):
        nominal = self.start_height if nominal_end is None else D(nominal_end)
        dz = nominal - self.height
        self.book.add_sum(self.run, self.point, self.sum_dh, dz, nominal)
        self.book.add_distances(self.run, self.point, self.stations,
                                self.back_total, self.fore_total, self.height)
        self.book.add_text(end_text, self.run)


def make_m5():
    book = M5Book("levelling_m5.DAT")

    # Run 1: loop RP101 -> TP1..TP4 -> RP101, five stations.
    r = M5Run(book, "1", "RP101", "312.46870", "17.5")
    r.begin()
    r.station(("RP101", "1.43215", "24.315"), ("TP1", "0.98764", "23.870"))
    r.station(("TP1", "1.76342", "27.104"), ("TP2", "0.85127", "26.552"))
    r.station(("TP2", "0.69418", "31.226"), ("TP3", "1.92375", "30.918"),
              temp="18.0")
    r.station(("TP3", "1.12056", "22.480"), ("TP4", "2.04589", "23.013"),
              temp="18.0")
    r.station(("TP4", "1.55830", "19.775"), ("RP101", "0.76151", "20.341"),
              temp="18.5")
    r.finish()

    # Run 2: loop RP102 -> TP5..TP7 -> RP102, four stations, one
    # intermediate sight on manhole MH7.
    r = M5Run(book, "2", "RP102", "309.02415", "19.0")
    r.begin()
    r.station(("RP102", "2.31467", "28.442"), ("TP5", "0.56238", "28.905"))
    r.station(("TP5", "1.07352", "33.617"), ("TP6", "2.68904", "34.020"),
              inter=[("MH7", "1.88410", "12.360")])
    r.station(("TP6", "0.84771", "29.358"), ("TP7", "1.46093", "28.774"),
              temp="19.5")
    r.station(("TP7", "1.39620", "26.190"), ("RP102", "0.91679", "25.803"),
              temp="19.5")
    r.finish()

    # Run 3: open line RP102 -> TP8 -> TP9 -> RP103, three stations,
    # compared with the known height of RP103.
    r = M5Run(book, "3", "RP102", "309.02415", "20.0")
    r.begin()
    r.station(("RP102", "1.62044", "35.12"), ("TP8", "0.73519", "34.87"))
    r.station(("TP8", "1.98306", "30.44"), ("TP9", "0.54177", "31.02"))
    r.station(("TP9", "1.27483", "18.66"), ("RP103", "2.11950", "19.05"),
              temp="20.5")
    r.finish(nominal_end="310.50571")

    # Run 4: started on RP103, one backsight and one intermediate sight,
    # then given up (no foresight, no summary lines).
    book.add_text("Start-Line     BF", "4")
    book.add_height("4", "RP103", D("310.50571"))
    book.add_reading("4", "RP103", "21.0", "Rb", "1.35012", "22.41")
    book.add_text("Intermediate sights", "4")
    book.add_reading("4", "MH8", "21.0", "Rz", "1.67530", "9.84",
                     height=D("310.50571") + D("1.35012") - D("1.67530"))
    book.add_text("End of interm. sights", "4")
    book.add_text("End-Line", "4")

    # Run 5: loop RP103 -> TP10 -> TP11 -> RP103, three stations; one
    # foresight measured again, one station measured again.
    r = M5Run(book, "5", "RP103", "310.50571", "21.5")
    r.begin()
    r.station(("RP103", "0.87342", "26.105"), ("TP10", "1.64218", "25.880"))
    r.station(("TP10", "1.20594", "27.340"), ("TP11", "2.30871", "27.962"),
              rejected=[("before_fore", "Measurement repeated", "Rf",
                         "2.31077", "27.950")])
    # first try of the third station: backsight kept by the instrument,
    # its foresight thrown away with the whole station
    book.add_reading("5", "TP11", "22.0", "Rb", "2.41165", "25.730")
    r.station(("TP11", "2.41387", "25.716"), ("RP103", "0.54155", "24.997"),
              temp="22.0",
              rejected=[("before_back", "Station repeated", "Rf",
                         "0.53902", "26.080")])
    r.finish()

    # Run 12, first part: RP104 -> TP12 -> RP105, interrupted on RP105.
    r12 = M5Run(book, "12", "RP104", "305.88230", "16.0")
    r12.begin()
    r12.station(("RP104", "0.61835", "31.402"), ("TP12", "2.20471", "30.986"))
    r12.station(("TP12", "0.94508", "28.770"), ("RP105", "2.39814", "29.315"))

    # Run 13: short check loop RP105 -> TP20 -> RP105, two stations.
    r = M5Run(book, "13", "RP105", r12.height, "16.5")
    r.begin()
    r.station(("RP105", "1.31427", "14.826"), ("TP20", "1.68952", "15.102"))
    r.station(("TP20", "1.72290", "16.340"), ("RP105", "1.34769", "15.918"))
    r.finish()

    # Run 12, continued: RP105 -> TP13 -> TP14 -> RP104, intermediate
    # sight on kerb KB3.
    r12.begin(text="Cont-Line      BF")
    r12.station(("RP105", "2.76153", "27.654"), ("TP13", "0.80317", "28.103"),
                inter=[("KB3", "1.90236", "14.220")], temp="17.0")
    r12.station(("TP13", "2.55902", "30.017"), ("TP14", "1.10274", "29.481"),
                temp="17.0")
    r12.station(("TP14", "1.84361", "29.560"), ("RP104", "2.22427", "28.412"),
                temp="17.5")
    r12.finish()

    return book.text()


# --------------------------------------------------------------------------
# Plain layout
# --------------------------------------------------------------------------
class PlainBook:
    """Columns: record counter 0-5, point number 7-15, time 17-24,
    run number 31-34, value type 36-37, value 38-50, distance 53-65."""

    def __init__(self, file_name):
        self.lines = []
        self.counter = 0
        self.minute = 8 * 60 + 12
        self.text(file_name)

    def _next(self):
        self.counter += 1
        return "%6d " % self.counter

    def _time(self):
        self.minute += 2
        return "%02d:%02d:%02d" % (self.minute // 60, self.minute % 60,
                                   (self.minute * 7) % 60)

    def text(self, text, run=""):
        line = self._next() + text.ljust(24) + run.rjust(4)
        self.lines.append(line.ljust(66))

    def reading(self, run, point, kind, value, distance=None):
        line = (self._next() + point.rjust(9) + " " + self._time()
                + " " * 6 + run.rjust(4) + " " + kind.ljust(2)
                + value.rjust(13)
                + ("  " + distance.rjust(13) if distance is not None else ""))
        self.lines.append(line.ljust(66))

    def render(self):
        for line in self.lines:
            assert not line.startswith("For"), line
        return "".join(line + "\r\n" for line in self.lines)


class PlainRun:
    def __init__(self, book, run, point, height):
        self.book, self.run = book, run
        self.point, self.height = point, D(height)
        book.text("Start-Line     BF", run)
        book.reading(run, point, "Z", format(self.height, ".5f"))

    def station(self, back, fore, inter=()):
        b_pt, b_r, b_d = back
        f_pt, f_r, f_d = fore
        assert b_pt == self.point
        self.book.reading(self.run, b_pt, "Rb", b_r, b_d)
        collimation = self.height + D(b_r)
        for i_pt, i_r, i_d in inter:
            self.book.reading(self.run, i_pt, "Rz", i_r, i_d)
            self.book.reading(self.run, i_pt, "Z", format(collimation - D(i_r), ".5f"))
        self.book.reading(self.run, f_pt, "Rf", f_r, f_d)
        self.height = collimation - D(f_r)
        self.book.reading(self.run, f_pt, "Z", format(self.height, ".5f"))
        self.point = f_pt

    def finish(self):
        self.book.text("End-Line", self.run)


def make_plain():
    book = PlainBook("plain_layout.DAT")

    # Run 21: loop RP201 -> TP1 -> TP2 -> RP201.
    r = PlainRun(book, "21", "RP201", "101.25000")
    r.station(("RP201", "1.52704", "21.35"), ("TP1", "1.01288", "20.98"))
    r.station(("TP1", "0.78915", "26.40"), ("TP2", "2.10357", "25.77"))
    r.station(("TP2", "1.94630", "23.05"), ("RP201", "1.14543", "23.62"))
    r.finish()

    # Run 22: open line RP201 -> TP3 -> RP202.
    r = PlainRun(book, "22", "RP201", "101.25000")
    r.station(("RP201", "2.03317", "33.10"), ("TP3", "0.66492", "32.84"))
    r.station(("TP3", "1.40126", "29.96"), ("RP202", "1.87745", "30.31"))
    r.finish()

    # Run 23: loop RP202 -> TP4 -> RP202 with a sight on manhole MH1.
    r = PlainRun(book, "23", "RP202", "102.14196")
    r.station(("RP202", "0.95473", "30.12"), ("TP4", "2.27906", "29.87"),
              inter=[("MH1", "1.44810", "11.05")])
    r.station(("TP4", "2.50158", "31.44"), ("RP202", "1.18037", "30.95"))
    r.finish()

    return book.render()


def main():
    for name, text in (("levelling_m5.DAT", make_m5()),
                       ("plain_layout.DAT", make_plain())):
        (SAMPLES / name).write_bytes(text.encode("ascii"))
        print("wrote", SAMPLES / name, text.count("\r\n"), "lines")


if __name__ == "__main__":
    main()
