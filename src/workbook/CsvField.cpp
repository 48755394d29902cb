// SPDX-License-Identifier: MIT
#include "workbook/CsvField.h"

namespace velmora {

std::string CsvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string field = "\"";
    for (const char c : text)
        field += c == '"' ? std::string("\"\"") : std::string(1, c);
    return field + '"';
}

}  // namespace velmora
