// SPDX-License-Identifier: MIT
#include "quality/LevellingLimits.h"

namespace velmora {

namespace {

// The defaults, one row per class: the national instruction for levelling of classes I–IV,
// ГКИНП (ГНТА)-03-010-03 (approved by order No. 181-пр of 25 December 2003, in force since
// 1 February 2004), its requirements for the field work of each class. No figure below is
// traced to a clause of it yet: of the instruction's published text only clauses 4.1 (design
// of the work) and 9.1–9.3 (joining new lines of classes I and II to existing ones) could be
// read when the table was checked, and neither states any of these figures; the sections on
// the field work of each class were not available. So each value says "clause not traced",
// and README.md says column by column where the figure comes from and how sure it is. Where
// the instruction is known to allow a longer sight in good conditions, the longer one is used:
// a finding should mean that the class's rule was broken, not that a sight was merely long.
// Any limit can be overridden on the command line.
//
//   class | max sight | station imbalance | cumulative imbalance | two readings differ by
//   ------+-----------+-------------------+----------------------+-----------------------
//   I     |  50 m     | 0.5 m             | 1 m                  | 0.5 mm
//   II    |  75 m     | 1 m               | 2 m                  | 0.7 mm
//   III   | 100 m     | 2 m               | 5 m                  | 3 mm
//   IV    | 150 m     | 5 m               | 10 m                 | 5 mm
//
// A section levelled there and back: the two height differences may differ by k·√L mm (L the
// mean length of the two levellings in km), k = 3, 5, 10 and 20 for classes I to IV, the values
// usually cited for the instruction; sources differ (2 to 4 mm for class I are cited too), and
// classes III and IV are normally levelled once: a pair there is checked all the same.
struct ClassRow {
    ToleranceClass toleranceClass;
    LevellingLimits limits;
};

constexpr ClassRow kClassRows[] = {
    {ToleranceClass::I,
     {
         50.0,    // class I: length of the sight line at most 50 m; clause not traced
         0.5,     // class I: inequality of the distances to the staffs; clause not traced
         1.0,     // class I: that inequality accumulated in a section; clause not traced
         0.0005,  // class I: the two scales' height differences; clause not traced
         true,    // class I: every staff is read on both scales; clause not traced
         0.003,   // class I: 3 mm·√L there and back; clause not traced
     }},
    {ToleranceClass::II,
     {
         75.0,    // class II: 65 m normally, up to 75 m; clause not traced
         1.0,     // class II: inequality of the distances; clause not traced
         2.0,     // class II: accumulated in a section; clause not traced
         0.0007,  // class II: the two scales' height differences; clause not traced
         true,    // class II: every staff is read on both scales; clause not traced
         0.005,   // class II: 5 mm·√L there and back; clause not traced
     }},
    {ToleranceClass::III,
     {
         100.0,  // class III: 75 m normally, up to 100 m; clause not traced
         2.0,    // class III: inequality of the distances; clause not traced
         5.0,    // class III: accumulated in a section; clause not traced
         0.003,  // class III: black and red sides' height differences; clause not traced
         false,
         0.010,  // class III: 10 mm·√L there and back; clause not traced
     }},
    {ToleranceClass::IV,
     {
         150.0,  // class IV: 100 m normally, up to 150 m; clause not traced
         5.0,    // class IV: inequality of the distances; clause not traced
         10.0,   // class IV: accumulated in a section; clause not traced
         0.005,  // class IV: black and red sides' height differences; clause not traced
         false,
         0.020,  // class IV: 20 mm·√L there and back; clause not traced
     }},
};

}  // namespace

LevellingLimits LimitsOf(ToleranceClass toleranceClass)
{
    for (const ClassRow& row : kClassRows) {
        if (row.toleranceClass == toleranceClass)
            return row.limits;
    }
    return kClassRows[1].limits;
}

}  // namespace velmora
