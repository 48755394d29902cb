// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/FieldBookLayout.h"

namespace velmora {

/// The two fixed-column layouts of the Trimble DiNi 12 field book (`.DAT`); columns are
/// counted from 0.
///
/// M5 layout, every line that begins with "For" (119 characters as the instrument writes them):
///
///     For M5|Adr     4|KD1       F2      15.0 C  2 KO1|Rb        0.93835 m   |HD         21.640 m   |                      |
///     0   4  7  10    17 20       29             44   49 51             66    72 74             89    95 96              112115
///     |   |  |  |     |  |        |              |    | |               |     |  |              |     | |               |  |
///     |   |  |  |     |  |        |              |    | reading (51,15)  unit  |  distance (74,15)     | height (96,16)
///     |   |  |  |     |  |        |              |    valueType (49,2)       distanceType (72,2)     heightType (95,1)
///     |   |  |  |     |  |        pointInfo (29,15)                                                   heightUnit (112,3)
///     |   |  |  |     |  pointNumber (20,9)                                                           lineRest (115,6)
///     |   |  |  |     lineKind (17,3)    runNumber (44,4)
///     |   |  |  memoryAddress (10,6)
///     |   |  memoryAddressTag (7,3)
///     |   layoutName (4,2)
///     layoutTag (0,3)
///
/// The last of the 119 columns (118, after the final "|") holds "e" when the instrument flagged
/// the measurement as failed. The units are "m" or "ft".
///
/// Plain layout, every other line; only five fields are read, and no unit (metres):
///
///           7        16             31   36 38           51 53
///     00012  RP101     21.05.2026    12 Rb      1.43215     25.301
///            pointNumber (7,9)       |    | reading (38,13) distance (53,13)
///                                    |    valueType (36,2)
///                                    runNumber (31,4)
///
/// A field that runs past the end of the line is cut at the end; one that begins at or beyond
/// the end is empty. Every field is given trimmed.
///
/// Both layouts mark the instrument's events by texts anywhere in the line: "Start-Line",
/// "End-Line", "Measurement repeated", "Station repeated", "#####", ".DAT". A start-of-line
/// record names the levelling method by the last word of the text before its run number (the
/// columns of pointNumber and pointInfo): "BF" in "Start-Line     BF         1".
const FieldBookLayout& DiniM5Layout();
const FieldBookLayout& DiniPlainLayout();

/// Metres per unit of a value whose DiNi unit field (trimmed) holds `unit`: 1 for "m" and for
/// no unit (the plain layout has none), kMetresPerFoot for "ft"; nothing for any other unit.
std::optional<double> DiniMetresPerUnit(std::string_view unit);

}  // namespace velmora
