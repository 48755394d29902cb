// SPDX-License-Identifier: MIT
#include "cli/Command.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/TextConversions.h"
#include "runs/LevellingRun.h"
#include "state/MainWindowState.h"

#include <langinfo.h>
#include <locale.h>
#include <new>
#include <ostream>
#include <string_view>

namespace velmora::cli {

namespace {

bool LocaleIsUtf8()
{
    static const bool utf8 = [] {
        const locale_t locale = newlocale(LC_CTYPE_MASK, "", locale_t{});
        if (!locale)
            return false;
        const std::string_view codeset = nl_langinfo_l(CODESET, locale);
        const bool isUtf8 = codeset == "UTF-8" || codeset == "utf8";
        freelocale(locale);
        return isUtf8;
    }();
    return utf8;
}

}  // namespace

std::string BookTextOption(const std::string& argument)
{
    if (!LocaleIsUtf8())
        return argument;
    // Converting back must give the argument again: text that is not UTF-8, or holds a
    // character Windows-1251 has not, is taken as the bytes typed.
    std::string converted = Utf8ToCp1251(argument);
    return Cp1251ToUtf8(converted) == argument ? converted : argument;
}

std::string TerminalText(std::string_view bookText)
{
    return LocaleIsUtf8() ? Cp1251ToUtf8(bookText) : std::string(bookText);
}

std::string PrintablePath(std::string_view path)
{
    return ControlCharactersShown(path);
}

namespace {
std::string gFieldBookInUse;
}  // namespace

const std::string& FieldBookInUse()
{
    return gFieldBookInUse;
}

bool OpenFieldBook(const std::string& path, MainWindowState& state, std::ostream& err)
{
    gFieldBookInUse = path;
    std::string error;
    try {
        if (state.LoadMeasurementFile(path))
            return true;
        error = state.lastLoadError();
    } catch (const std::bad_alloc&) {
        state.LoadMeasurementFile("");  // gives the memory back
        error = "out of memory";
    }
    err << "velmora-tesk-cli: cannot read " << PrintablePath(path) << ": " << error << "\n";
    return false;
}

void SelectNamedRuns(MainWindowState& state, const std::vector<std::string>& runNumbers,
                     const std::string& path, std::ostream& err)
{
    RunNumberSet named;
    for (const std::string& number : runNumbers)
        named.emplace(TrimText(number));
    RunNumberSet found;
    const RunList& list = state.runList();
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string_view number = RunNumberOfEntry(list.entries()[i].text);
        const bool isNamed = named.count(number) > 0;
        state.SetSelected(i, isNamed);
        if (isNamed)
            found.emplace(number);
    }
    // Warned about in the order given, each once.
    RunNumberSet warned;
    for (const std::string& given : runNumbers) {
        const std::string_view number = TrimText(given);
        if (!found.count(number) && warned.emplace(number).second)
            err << "velmora-tesk-cli: warning: " << PrintablePath(path) << " lists no run "
                << PrintablePath(TerminalText(number)) << "\n";
    }
}

MainWindowState& CommandState()
{
    // Kept reachable through this pointer, so a leak checker does not count it.
    static MainWindowState* const state = new MainWindowState;
    return *state;
}

}  // namespace velmora::cli
