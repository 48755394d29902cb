// SPDX-License-Identifier: MIT
#include "Startup.h"

#include "Look.h"

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

std::optional<int> AnswerWithoutWindow(int argc, const char* const* argv, std::ostream& out,
                                       std::ostream& err)
{
    if (argc != 2)
        return std::nullopt;
    const std::string_view argument = argv[1];
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
    if (argument == "--version") {
        out << kProgramName.toStdString() << '\n';
        return written();
    }
    if (argument == "--help") {
        out << "Usage: velmora-tesk [FILE]\n"
               "Shows the levelling runs of a Trimble DiNi 12 field book (.DAT) or a Leica\n"
               "GSI-8/GSI-16 levelling book (.gsi) in a window:\n"
               "misclosures, readings, saving the book and exporting to .xls or .xlsx.\n"
               "FILE is opened at start; without it the window opens empty.\n"
               "\n"
               "  --help     print this text and exit\n"
               "  --version  print the program's name and version and exit\n";
        return written();
    }
    return std::nullopt;
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
