// SPDX-License-Identifier: MIT
// The program's start: the answers without a window, and the application's settings that
// every window relies on (numbers in the "C" locale, Qt's own dialogs in Russian).

#include "Startup.h"
#include "WidgetTestMain.h"

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

        const char* book[] = {"velmora-tesk", "--helpful.DAT"};
        const char* none[] = {"velmora-tesk"};
        const char* two[] = {"velmora-tesk", "--help", "x.DAT"};
        out.str({});
        QCOMPARE(AnswerWithoutWindow(2, book, out, err), std::optional<int>());
        QCOMPARE(AnswerWithoutWindow(1, none, out, err), std::optional<int>());
        QCOMPARE(AnswerWithoutWindow(3, two, out, err), std::optional<int>());
        QCOMPARE(out.str(), std::string());
        QCOMPARE(err.str(), std::string());
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
};

VELMORA_WIDGET_TEST_MAIN(StartupTest)
#include "StartupTest.moc"
