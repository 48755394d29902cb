// SPDX-License-Identifier: MIT
#include "cli/QualityOptions.h"

#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"
#include "quality/BookSights.h"
#include "runs/ToleranceClass.h"
#include "state/OpenBook.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace velmora::cli {

namespace {

// Puts the option's value, when given, in place of the class's limit: metres, or for the
// limit of a section levelled twice millimetres per √km (`millimetresPerRootKilometre`).
void OverrideLimit(const Arguments& arguments, const std::string& option, double& limit,
                   bool& limitsOfClass, bool millimetresPerRootKilometre = false)
{
    if (!arguments.HasValue(option))
        return;
    limitsOfClass = false;
    const std::string text = arguments.Value(option);
    const double value = TextToNumber(text);
    if (!std::isfinite(value) || value < 0)
        throw UsageError{Fill(millimetresPerRootKilometre ? Tr("{1} needs a number of millimetres per root kilometre, not '{2}'")
                                                          : Tr("{1} needs a number of metres, not '{2}'"),
                              {option, ControlCharactersShown(text)})};
    limit = millimetresPerRootKilometre ? value / 1000 : value;
}

}  // namespace

QualityOptions QualityOptionsOf(const Arguments& arguments)
{
    QualityOptions options;
    const ToleranceClass toleranceClass = ToleranceClassOption(arguments);
    options.className = ClassName(toleranceClass);
    options.toleranceCoefficient = CoefficientOf(toleranceClass);
    options.limits = LimitsOf(toleranceClass);
    OverrideLimit(arguments, "--max-sight", options.limits.maxSight, options.limitsOfClass);
    OverrideLimit(arguments, "--max-station-imbalance", options.limits.maxStationImbalance, options.limitsOfClass);
    OverrideLimit(arguments, "--max-cumulative-imbalance", options.limits.maxCumulativeImbalance, options.limitsOfClass);
    OverrideLimit(arguments, "--max-double-reading", options.limits.maxDoubleReadingDifference, options.limitsOfClass);
    OverrideLimit(arguments, "--max-section-difference", options.limits.maxSectionDifference, options.limitsOfClass,
                  /*millimetresPerRootKilometre=*/true);
    if (arguments.Has(kSingleReadingsFlag) && options.limits.doubleReadingsRequired) {
        options.limits.doubleReadingsRequired = false;
        options.limitsOfClass = false;
    }
    options.rodScale = RodScaleOption(arguments);
    return options;
}

RodScale RodScaleOption(const Arguments& arguments)
{
    if (!arguments.HasValue("--rod-scale"))
        return {};
    const std::string text = arguments.Value("--rod-scale");
    const double ppm = TextToNumber(text);
    if (!std::isfinite(ppm) || std::fabs(ppm) > kMaxRodScalePpm)
        throw UsageError{Fill(Tr("--rod-scale needs parts per million from -1000 to 1000, not '{1}'"),
                              {ControlCharactersShown(text)})};
    return {ppm};
}

bool CheckBook(const std::string& path, const LevellingLimits& limits, RodScale rodScale, BookCheck& book,
               std::ostream& err)
{
    OpenBook open;
    // The check reads each run itself, with the run list's sums: no run list is made.
    if (!OpenFieldBook(path, open, err, /*recordsOnly=*/true))
        return false;
    // The book is let go once its runs are read: the check keeps what it shows.
    book = CheckBookRuns(open.records(), limits, std::nullopt, rodScale, [&] { open.Close(); });
    return true;
}

}  // namespace velmora::cli
