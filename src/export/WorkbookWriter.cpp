#include "export/WorkbookWriter.h"

namespace velmora {

namespace {
constexpr std::size_t kMaxSheetNameCharacters = 31;
}

std::string SafeSheetName(std::string_view name)
{
    std::string safe(name.substr(0, kMaxSheetNameCharacters));
    for (char& c : safe) {
        if (c == ':' || c == '\\' || c == '/' || c == '?' || c == '*' || c == '[' || c == ']')
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
