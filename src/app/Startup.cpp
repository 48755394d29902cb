// SPDX-License-Identifier: MIT
#include "Startup.h"

#include "Look.h"
#include "fieldbook/TextConversions.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <string_view>

namespace velmora::app {

namespace {

constexpr const char* kHelp =
    "Usage: velmora-tesk [FILE]\n"
    "Shows the levelling runs of a Trimble DiNi 12 field book (.DAT) or a Leica\n"
    "GSI-8/GSI-16 levelling book (.gsi) in a window:\n"
    "misclosures, readings, saving the book and exporting to .xls or .xlsx.\n"
    "FILE is opened at start; without it the window opens empty.\n"
    "\n"
    "  --help     print this text and exit\n"
    "  --version  print the program's name and version and exit\n";

}  // namespace

std::optional<int> AnswerWithoutWindow(int argc, const char* const* argv, std::ostream& out,
                                       std::ostream& err)
{
    // A closed or full standard output is an error, not an answer given.
    auto written = [&]() -> int {
        errno = 0;
        out.flush();
        if (out)
            return 0;
        err << "velmora-tesk: cannot write to standard output"
            << (errno ? std::string(": ") + std::strerror(errno) : std::string()) << '\n';
        return 1;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--")
            break;  // what follows is a file name, whatever it looks like
        if (argument == "--version") {
            out << kProgramName.toStdString() << '\n';
            return written();
        }
        if (argument == "--help") {
            out << kHelp;
            return written();
        }
        if (argument.starts_with("--")) {
            const std::string shown = ControlCharactersShown(argument);
            err << "velmora-tesk: unknown option " << shown << "; a field book of that name opens as ./"
                << shown << '\n';
            return 2;
        }
    }
    return std::nullopt;
}

std::string StartFileOf(int argc, const char* const* argv)
{
    int first = 1;
    if (first < argc && std::string_view(argv[first]) == "--")
        ++first;
    return first < argc ? std::string(argv[first]) : std::string();
}

bool PrepareApplication(QApplication& application)
{
    // The program keeps no settings, but Qt's file dialog writes its history (last folder,
    // sidebar, view) to the user's QtProject.conf when it closes, and cannot be told not to.
    // Qt's user settings are pointed below /dev/null, where no folder can be made: they are
    // read as empty and written nowhere, and even a killed program leaves nothing behind.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("/dev/null"));

    // QApplication has just taken every category of the environment's locale; under ru_RU or
    // de_DE the C library would then print and read numbers with a decimal comma.
    std::setlocale(LC_NUMERIC, "C");

    auto* translator = new QTranslator(&application);
    const bool loaded = translator->load(QLocale(QLocale::Russian, QLocale::Russia),
                                         QStringLiteral("qtbase"), QStringLiteral("_"),
                                         QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (loaded)
        QApplication::installTranslator(translator);
    else
        delete translator;  // Qt's English texts remain; the program works the same
    return loaded;
}

}  // namespace velmora::app
