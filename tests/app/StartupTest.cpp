// SPDX-License-Identifier: MIT
// The program's start: the answers without a window, and the application's settings that
// every window relies on (numbers in the "C" locale, Qt's own dialogs in Russian).

#include "QtText.h"
#include "Startup.h"
#include "WidgetTestMain.h"
#include "fieldbook/Cp1251.h"

#include <QFileDialog>
#include <QLabel>
#include <QPushButton>

#include <clocale>
#include <cstdio>
#include <sstream>

using namespace velmora::app;

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void helpAndVersionAreAnsweredOtherArgumentsAreFieldBooks()
    {
        const char* help[] = {"velmora-tesk", "--help"};
        std::ostringstream out;
        std::ostringstream err;
        QCOMPARE(AnswerWithoutWindow(2, help, out, err), std::optional<int>(0));
        QVERIFY(out.str().rfind("Usage: velmora-tesk [FILE]\n", 0) == 0);

        const char* version[] = {"velmora-tesk", "--version"};
        out.str({});
        QCOMPARE(AnswerWithoutWindow(2, version, out, err), std::optional<int>(0));
        QCOMPARE(out.str(), std::string("Velmora Tesk 1.0\n"));

        const char* book[] = {"velmora-tesk", "-platform", "offscreen", "./--helpful.DAT"};
        const char* none[] = {"velmora-tesk"};
        const char* ended[] = {"velmora-tesk", "--", "--help"};
        out.str({});
        QCOMPARE(AnswerWithoutWindow(4, book, out, err), std::optional<int>());
        QCOMPARE(AnswerWithoutWindow(1, none, out, err), std::optional<int>());
        QCOMPARE(AnswerWithoutWindow(3, ended, out, err), std::optional<int>());
        QCOMPARE(out.str(), std::string());
        QCOMPARE(err.str(), std::string());

        // --help before a book name still answers.
        const char* helpFirst[] = {"velmora-tesk", "--help", "x.DAT"};
        QCOMPARE(AnswerWithoutWindow(3, helpFirst, out, err), std::optional<int>(0));
    }

    void anUnknownDoubleDashOptionIsWrongUsage()
    {
        for (const char* argument : {"--bogus", "--helpful.DAT", "--help=1", "--version2"}) {
            const char* argv[] = {"velmora-tesk", "x.DAT", argument};
            std::ostringstream out;
            std::ostringstream err;
            QCOMPARE(AnswerWithoutWindow(3, argv, out, err), std::optional<int>(2));
            QCOMPARE(out.str(), std::string());
            QCOMPARE(err.str(), "velmora-tesk: unknown option " + std::string(argument) +
                                    "; a field book of that name opens as ./" + argument + "\n");
        }
        // The name shown on one line, whatever it holds.
        const char* broken[] = {"velmora-tesk", "--a\nb"};
        std::ostringstream out;
        std::ostringstream err;
        QCOMPARE(AnswerWithoutWindow(2, broken, out, err), std::optional<int>(2));
        QCOMPARE(err.str(), std::string("velmora-tesk: unknown option --a\\x0ab; a field book of that name opens as ./--a\\x0ab\n"));
    }

    void theStartFileIsTheFirstArgumentOrTheOneAfterDoubleDash()
    {
        const char* plain[] = {"velmora-tesk", "book.DAT"};
        const char* ended[] = {"velmora-tesk", "--", "--book.DAT"};
        const char* dotted[] = {"velmora-tesk", "./--book.DAT"};
        const char* none[] = {"velmora-tesk"};
        const char* endedOnly[] = {"velmora-tesk", "--"};
        QCOMPARE(StartFileOf(2, plain), std::string("book.DAT"));
        QCOMPARE(StartFileOf(3, ended), std::string("--book.DAT"));
        QCOMPARE(StartFileOf(2, dotted), std::string("./--book.DAT"));
        QCOMPARE(StartFileOf(1, none), std::string());
        QCOMPARE(StartFileOf(2, endedOnly), std::string());
    }

    void anOutputThatTakesNothingIsAnError()
    {
        // A stream without a buffer fails every write, as a closed or full standard output does.
        std::ostream closed(nullptr);
        std::ostringstream err;
        for (const char* argument : {"--help", "--version"}) {
            const char* argv[] = {"velmora-tesk", argument};
            err.str({});
            QCOMPARE(AnswerWithoutWindow(2, argv, closed, err), std::optional<int>(1));
            QCOMPARE(err.str(), std::string("velmora-tesk: cannot write to standard output\n"));
            closed.clear();
        }
    }

    void numbersOfTheCLibraryStayInTheCLocale()
    {
        // The test's main prepared the application as the program does, under whatever
        // LANG/LC_ALL ctest gave it.
        QCOMPARE(QByteArray(std::setlocale(LC_NUMERIC, nullptr)), QByteArray("C"));
        char text[32];
        std::snprintf(text, sizeof text, "%.4f", 100.4448);
        QCOMPARE(QByteArray(text), QByteArray("100.4448"));
    }

    void qtDialogsSpeakRussian()
    {
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Перейти к:"));
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        bool cancelFound = false;
        for (const QPushButton* button : dialog.findChildren<QPushButton*>())
            cancelFound = cancelFound || button->text() == QStringLiteral("Отмена");
        QVERIFY(cancelFound);
        const QLabel* lookIn = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
        QVERIFY(lookIn);
        QVERIFY(!lookIn->text().contains(QStringLiteral("Look in")));
    }

    void qtTextsUseTheOneWindows1251Table()
    {
        for (int byte = 0; byte < 256; ++byte) {
            const std::string one(1, static_cast<char>(byte));
            const QString text = FromCp1251(one);
            QCOMPARE(text, QString::fromStdU16String(velmora::Cp1251ToUtf16(one)));
            QCOMPARE(text, QString::fromStdString(velmora::Cp1251ToUtf8(one)));
            QCOMPARE(ToCp1251(text), byte == 0x98 ? std::string("?") : one);
        }
        QCOMPARE(ToCp1251(QStringLiteral("Ход 中 😀")), std::string("\xD5\xEE\xE4 ? ?"));
    }
};

VELMORA_WIDGET_TEST_MAIN(StartupTest)
#include "StartupTest.moc"
