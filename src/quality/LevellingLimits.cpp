// SPDX-License-Identifier: MIT
#include "quality/LevellingLimits.h"

namespace velmora {

namespace {

// The defaults, one row per class, each number with its source: the national instruction for
// levelling of classes I–IV, ГКИНП (ГНТА)-03-010-03 (approved by order No. 181-пр of
// 25 December 2003, in force since 1 February 2004), its requirements for the field work of
// each class. Clause numbers are not given: the instruction's text was not at hand when the
// table was written, so neither they nor every figure could be checked against it. README.md
// says which figures were compared with other sources; any of them can be overridden.
//
//   class | max sight | station imbalance | cumulative imbalance | two readings differ by
//   ------+-----------+-------------------+----------------------+-----------------------
//   I     |  50 m     | 0.5 m             | 1 m                  | 0.5 mm
//   II    |  75 m     | 1 m               | 2 m                  | 0.7 mm
//   III   | 100 m     | 2 m               | 5 m                  | 3 mm
//   IV    | 150 m     | 5 m               | 10 m                 | 5 mm
struct ClassRow {
    ToleranceClass toleranceClass;
    LevellingLimits limits;
};

constexpr ClassRow kClassRows[] = {
    {ToleranceClass::I,
     {
         50.0,    // class I: length of the sight line at most 50 m
         0.5,     // class I: inequality of the distances to the staffs at a station
         1.0,     // class I: accumulation of that inequality along a section
         0.0005,  // class I: the two scales' height differences of a station may differ
         true,    // class I: every staff is read on both scales
     }},
    {ToleranceClass::II,
     {
         75.0,    // class II: 65 m normally, up to 75 m
         1.0,     // class II: inequality of the distances at a station
         2.0,     // class II: its accumulation along a section
         0.0007,  // class II: the two scales' height differences of a station
         true,    // class II: every staff is read on both scales
     }},
    {ToleranceClass::III,
     {
         100.0,  // class III: 75 m normally, up to 100 m
         2.0,    // class III: inequality of the distances at a station
         5.0,    // class III: its accumulation along a section
         0.003,  // class III: height differences from the black and red sides of the staffs
         false,
     }},
    {ToleranceClass::IV,
     {
         150.0,  // class IV: 100 m normally, up to 150 m
         5.0,    // class IV: inequality of the distances at a station
         10.0,   // class IV: its accumulation along a section
         0.005,  // class IV: height differences from the black and red sides of the staffs
         false,
     }},
};

// Figures are decimals of at most five places; 1e-9 m is far below them and far above the
// error of a few additions in doubles.
constexpr double kComparisonSlack = 1e-9;

}  // namespace

LevellingLimits LimitsOf(ToleranceClass toleranceClass)
{
    for (const ClassRow& row : kClassRows) {
        if (row.toleranceClass == toleranceClass)
            return row.limits;
    }
    return kClassRows[1].limits;
}

bool ExceedsLimit(double value, double limit)
{
    // NaN compares false: a figure that could not be computed is reported elsewhere.
    return value - limit > kComparisonSlack;
}

}  // namespace velmora
