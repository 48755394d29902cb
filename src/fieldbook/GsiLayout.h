// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/FieldBookLayout.h"

namespace velmora {

/// The levelling book of Leica's digital levels (DNA03, DNA10, LS10/LS15, Sprinter), written in
/// the GSI format: every line is a block of words, each of 16 characters (GSI-8) or 24
/// (GSI-16, whose lines the instrument begins with "*"), a blank included:
///
///     *110003+000000000000000G 32...8+0000000001824936 331.08+0000000000159977
///      |   |  |                |  | |                  |
///      |   |  data (16)        |  | unit (position 6)  word index 331: the first backsight
///      |   information         |  sign (position 7)
///      word index 11: the point word 32: the sight distance
///
/// The word index stands in positions 1-2, or 1-3 for the three-digit indices (331, 571, …);
/// positions 3-6 hold the information about the data, the 6th its unit and decimals; position
/// 7 the sign; then the data, without a decimal point. Words are read by their index:
///
/// | index | holds | read into |
/// |---|---|---|
/// | 11 | point name (zero-filled on the left) | pointNumber |
/// | 41 | a code; "?......n" starts a levelling line measured by method n | run start, method |
/// | 32 | sight distance | distance |
/// | 331, 335 | first and second backsight reading | valueType "Rb", reading |
/// | 332, 336 | first and second foresight reading | valueType "Rf", reading |
/// | 333 | intermediate sight | valueType "Rz", reading |
/// | 574 | the line's length up to this station | instrumentLength |
/// | 83 | the height of the line's point | instrumentHeight |
///
/// The book names no run numbers: a levelling line is numbered by its place in the book (the
/// run after run 7 is run 8; the first is 1). Numbers are given as decimal text in the unit of
/// their word (metres or feet); an edited field is written back into its word, at the word's
/// width and unit, and saved lines end as the book ended them.
const FieldBookLayout& GsiLayout();

}  // namespace velmora
