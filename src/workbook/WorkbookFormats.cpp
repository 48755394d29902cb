// SPDX-License-Identifier: MIT
#include "workbook/WorkbookFormats.h"

#include "workbook/XlsWorkbook.h"
#include "workbook/XlsxWorkbook.h"

namespace velmora {

std::unique_ptr<WorkbookWriter> MakeWorkbook(OutputFormat format)
{
    if (format == OutputFormat::Xlsx)
        return std::make_unique<XlsxWorkbook>();
    return std::make_unique<XlsWorkbook>();
}

}  // namespace velmora
