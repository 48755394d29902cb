// SPDX-License-Identifier: MIT
#include "workbook/WorkbookWriter.h"

namespace velmora {

namespace {
constexpr std::size_t kMaxSheetNameCharacters = 31;
}

std::string SafeSheetName(std::string_view name)
{
    std::string safe(name.substr(0, kMaxSheetNameCharacters));
    for (char& c : safe) {
        // Control characters (NUL included) cannot stand in a workbook's XML, and a NUL would
        // cut the name where a library takes it as a C string.
        if (c == ':' || c == '\\' || c == '/' || c == '?' || c == '*' || c == '[' || c == ']' ||
            static_cast<unsigned char>(c) < 0x20)
            c = '_';
    }
    if (!safe.empty() && safe.front() == '\'')
        safe.front() = '_';
    if (!safe.empty() && safe.back() == '\'')
        safe.back() = '_';
    return safe.empty() ? std::string("Sheet1") : safe;
}

std::string_view CellText(std::string_view text)
{
    return text.substr(0, kMaxCellTextCharacters);
}

}  // namespace velmora
