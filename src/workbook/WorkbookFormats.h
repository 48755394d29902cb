// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/OutputPath.h"
#include "workbook/WorkbookWriter.h"

#include <memory>

namespace velmora {

/// An empty workbook of `format` (`Xls` or `Xlsx`: an Excel 97–2003 or an Office Open XML
/// workbook); `ChooseOutput` gives the format of a name.
std::unique_ptr<WorkbookWriter> MakeWorkbook(OutputFormat format);

}  // namespace velmora
