#include "quality/LevellingLimits.h"

#include <cmath>

namespace velmora {

namespace {

// The defaults, one row per class, each number with its source: the national instruction for
// levelling of classes I–IV, ГКИНП (ГНТА)-03-010-03 (approved by order No. 181-пр of
// 25 December 2003, in force since 1 February 2004), from the chapter that sets out the
// field work of each class. The clause numbers inside those chapters are not cited: they could
// not be checked against the instruction's text here, so each row names its chapter and the
// figure's wording, and README.md says the same.
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
         50.0,    // chapter "Нивелирование I класса": length of the sight line at most 50 m
         0.5,     // same chapter: inequality of the distances to the staffs at a station
         1.0,     // same chapter: accumulation of that inequality along a section
         0.0005,  // same chapter: the two scales' height differences of a station may differ
         true,    // same chapter: every staff is read on both scales
     }},
    {ToleranceClass::II,
     {
         75.0,    // chapter "Нивелирование II класса": 65 m normally, up to 75 m
         1.0,     // same chapter: inequality of the distances at a station
         2.0,     // same chapter: its accumulation along a section
         0.0007,  // same chapter: the two scales' height differences of a station
         true,    // same chapter: every staff is read on both scales
     }},
    {ToleranceClass::III,
     {
         100.0,  // chapter "Нивелирование III класса": 75 m normally, up to 100 m
         2.0,    // same chapter: inequality of the distances at a station
         5.0,    // same chapter: its accumulation along a section
         0.003,  // same chapter: height differences from the black and red sides of the staffs
         false,
     }},
    {ToleranceClass::IV,
     {
         150.0,  // chapter "Нивелирование IV класса": 100 m normally, up to 150 m
         5.0,    // same chapter: inequality of the distances at a station
         10.0,   // same chapter: its accumulation along a section
         0.005,  // same chapter: height differences from the black and red sides of the staffs
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
