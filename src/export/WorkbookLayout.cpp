#include "export/WorkbookLayout.h"

#include "runs/Rounding.h"

namespace velmora {

namespace {

constexpr int kColumnA = 1;
constexpr int kColumnB = 2;
const std::string_view kMisclosureHeading = "dZ";
const std::string_view kAllowedHeading = "dZ\xE4\xEE\xEF";  // "dZдоп" in Windows-1251

}  // namespace

WorkbookLayout::WorkbookLayout(WorkbookWriter& writer, std::string_view sheetName) : writer_(writer)
{
    writer_.SetSheetName(sheetName);
}

void WorkbookLayout::WriteRun(const AdjustedRun& run)
{
    for (const PointEntry& entry : run.points) {
        writer_.WriteText(row_, kColumnA, entry.point);
        writer_.WriteNumber(row_, kColumnB, RoundTo4(entry.height));
        ++row_;
    }
    if (run.misclosure != 0) {
        writer_.WriteText(row_, kColumnA, kMisclosureHeading);
        writer_.WriteNumber(row_, kColumnB, RoundTo4(run.misclosure));
        ++row_;
        if (run.beyondTolerance) {
            writer_.SetFontRed(row_ - 1, kColumnA);
            writer_.SetFontRed(row_ - 1, kColumnB);
        }
        writer_.WriteText(row_, kColumnA, kAllowedHeading);
        writer_.WriteNumber(row_, kColumnB, RoundTo4(run.allowedMisclosure));
        ++row_;
        if (run.beyondTolerance)
            writer_.WriteNumber(row_, kColumnA, RoundTo4(run.largestCorrection));
    }
    row_ += 2;
}

void WorkbookLayout::Finish()
{
    writer_.FormatResultColumns();
}

}  // namespace velmora
