// SPDX-License-Identifier: MIT
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

WorkbookLayout::BlockRows WorkbookLayout::RowsOf(const AdjustedRun& run, long row)
{
    const auto points = static_cast<long>(run.points.size());
    if (run.misclosure == 0)
        return {row + points - 1, row + points + 2};
    return {row + points + (run.beyondTolerance ? 2 : 1), row + points + 4};
}

void WorkbookLayout::WriteRun(const AdjustedRun& run)
{
    const long next = RowsOf(run, row_).next;
    for (const PointEntry& entry : run.points) {
        Text(row_, kColumnA, entry.point);
        Number(row_, kColumnB, RoundTo4(entry.height));
        ++row_;
    }
    if (run.misclosure != 0) {
        Text(row_, kColumnA, kMisclosureHeading);
        Number(row_, kColumnB, RoundTo4(run.misclosure));
        ++row_;
        if (run.beyondTolerance) {
            writer_.SetFontRed(row_ - 1, kColumnA);
            writer_.SetFontRed(row_ - 1, kColumnB);
        }
        Text(row_, kColumnA, kAllowedHeading);
        Number(row_, kColumnB, RoundTo4(run.allowedMisclosure));
        ++row_;
        if (run.beyondTolerance)
            Number(row_, kColumnA, RoundTo4(run.largestCorrection));
    }
    row_ = static_cast<int>(next);
}

void WorkbookLayout::Text(int row, int column, std::string_view text)
{
    writer_.WriteText(row, column, text);
}

void WorkbookLayout::Number(int row, int column, double value)
{
    writer_.WriteNumber(row, column, value);
}

void WorkbookLayout::Finish()
{
    writer_.FormatResultColumns();
}

}  // namespace velmora
