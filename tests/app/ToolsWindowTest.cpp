// SPDX-License-Identifier: MIT
// The Tools menu: "Контроль станций" and "Уравнивание сети" on a real field book, their
// content, what they save and open, and that Back and Forward do not notice them, nor those of
// "Мониторинг осадок".

#include "MainWindow.h"
#include "MonitorWindow.h"
#include "NetworkWindow.h"
#include "StationCheckWindow.h"
#include "WidgetTestMain.h"

#include "FieldBookLines.h"

#include <QAction>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>

using namespace velmora;
using namespace velmora::app;
using velmora::testing::CommandOutput;
using velmora::testing::ReadWholeFile;

namespace {

QString RealBook()
{
    return QString::fromStdString(velmora::testing::RealFieldBooksFolder()) +
           QStringLiteral("/nivtropy_PUSH0809.DAT");
}

// The rows of a list of findings: the run headings and the lines below them.
QStringList Items(const QListWidget* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

int RowOf(const QTableWidget* table, const QString& first)
{
    for (int r = 0; r < table->rowCount(); ++r) {
        if (table->item(r, 0) && table->item(r, 0)->text() == first)
            return r;
    }
    return -1;
}

// What the window shows of its book: the entries with their selection, and the journal.
struct Seen {
    std::vector<RunListEntry> list;
    std::size_t journalEntries = 0;
    std::size_t position = 0;
    bool operator==(const Seen&) const = default;
};

Seen SeenIn(MainWindow& window)
{
    return {window.state().runList().entries(), window.state().journal().entries().size(),
            window.state().journal().position()};
}

}  // namespace

class ToolsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        if (!QFile::exists(RealBook())) {
            if (velmora::testing::InContinuousIntegration())
                QFAIL(qPrintable(QStringLiteral("no field book %1").arg(RealBook())));
            QSKIP("the real field books are not here");
        }
    }

    void theToolsMenuStandsBetweenSettingsAndHelp()
    {
        MainWindow window(RealBook().toStdString());
        QStringList titles;
        for (QAction* action : window.menuBar()->actions())
            titles << action->text();
        QCOMPARE(titles, (QStringList{"&File", "Settings", "&Tools", "&Help", "&Info"}));
        QCOMPARE(window.menuAction("CheckStations1")->text(), QStringLiteral("&Check stations…"));
        QCOMPARE(window.menuAction("AdjustNetwork1")->text(), QStringLiteral("&Adjust network…"));
        QStringList tools;
        for (QAction* action : window.menuBar()->findChild<QMenu*>(QStringLiteral("Tools1"))->actions())
            tools << action->objectName();
        QCOMPARE(tools, (QStringList{"CheckStations1", "AdjustNetwork1", "SettlementMonitoring1"}));
        QCOMPARE(window.menuAction("SettlementMonitoring1")->text(), QStringLiteral("&Settlement monitoring…"));
    }

    void theToolsWaitForListedRuns()
    {
        const char* const tools[] = {"CheckStations1", "AdjustNetwork1", "SettlementMonitoring1"};
        auto toolsEnabled = [&tools](MainWindow& window) {
            return std::all_of(std::begin(tools), std::end(tools),
                               [&window](const char* name) { return window.menuAction(name)->isEnabled(); });
        };
        auto toolsDisabled = [&tools](MainWindow& window) {
            return std::none_of(std::begin(tools), std::end(tools),
                                [&window](const char* name) { return window.menuAction(name)->isEnabled(); });
        };
        MainWindow empty("");
        QVERIFY(toolsDisabled(empty));

        MainWindow window(RealBook().toStdString());
        QVERIFY(toolsEnabled(window));
        window.Button2Click();
        window.N1Click();
        QVERIFY(window.state().runList().entries().empty());
        QVERIFY(toolsDisabled(window));
        // Undoing a deletion takes two steps back.
        window.Button7Click();
        window.Button7Click();
        QVERIFY(!window.state().runList().entries().empty());
        QVERIFY(toolsEnabled(window));
    }

    void theStationCheckShowsEachRunAndItsFindingsInRed()
    {
        MainWindowState state;
        QVERIFY(state.OpenAtStart(RealBook().toStdString()));
        StationCheckWindow check(state, RealBook().toStdString());
        QCOMPARE(check.windowTitle(), QStringLiteral("Контроль станций"));
        QTableWidget* runs = check.runTable();
        QCOMPARE(runs->rowCount(), static_cast<int>(state.runList().size()));
        const int row = RowOf(runs, QStringLiteral("0212"));
        QVERIFY(row >= 0);
        QCOMPARE(runs->item(row, 1)->text(), QStringLiteral("BF"));
        QCOMPARE(runs->item(row, 2)->text(), QStringLiteral("54"));
        QCOMPARE(runs->item(row, 3)->text(), QStringLiteral("1295,460"));
        QCOMPARE(runs->item(row, 4)->text(), QStringLiteral("-38,5"));
        QCOMPARE(runs->item(row, 4)->foreground().color(), QColor(255, 0, 0));
        QVERIFY(runs->item(row, 6)->text().endsWith(QStringLiteral(": совпадает")));

        // The findings of 0212, grouped per check, in Russian and red, below the run's heading.
        const QStringList items = Items(check.findingList());
        const qsizetype heading = items.indexOf(QStringLiteral("Ход 0212"));
        QVERIFY2(heading >= 0, qPrintable(items.join('\n')));
        const QString imbalance = items.value(heading + 1).trimmed();
        QVERIFY2(imbalance.startsWith(QStringLiteral("неравенство плеч на станции: станции 4, 6–9, 11–12, 14–20,")),
                 qPrintable(imbalance));
        QVERIFY2(imbalance.contains(QStringLiteral("наибольшее 41,79 м на станции 54, допуск 1,00 м")), qPrintable(imbalance));
        QCOMPARE(check.findingList()->item(static_cast<int>(heading) + 1)->foreground().color(),
                 QColor(255, 0, 0));
    }

    void theSectionsLevelledTwiceAreListedWithAPairAboveItsLimitInRed()
    {
        const std::string sample = VELMORA_SAMPLES_DIR "/leica_dna03.gsi";
        MainWindowState state;
        QVERIFY(state.OpenAtStart(sample));
        state.ChooseClass(ToleranceClass::II);
        StationCheckWindow check(state, sample);
        const QTableWidget* sections = check.sectionTable();
        QVERIFY(!sections->isHidden());
        QCOMPARE(sections->rowCount(), 6);
        QCOMPARE(sections->horizontalHeaderItem(5)->text(), QStringLiteral("d, мм"));
        const int row = RowOf(sections, QStringLiteral("I\u2013N"));
        QVERIFY(row >= 0);
        QCOMPARE(sections->item(row, 5)->text(), QStringLiteral("-73,4"));
        QCOMPARE(sections->item(row, 6)->text(), QStringLiteral("2,6"));
        for (int r = 0; r < sections->rowCount(); ++r) {
            const bool red = sections->item(r, 0)->foreground().color() == QColor(255, 0, 0);
            QCOMPARE(red, r == row);
        }

        // A book that levels no section twice shows no such table.
        MainWindowState dini;
        QVERIFY(dini.OpenAtStart(VELMORA_SAMPLES_DIR "/levelling_m5.DAT"));
        QVERIFY(StationCheckWindow(dini, VELMORA_SAMPLES_DIR "/levelling_m5.DAT").sectionTable()->isHidden());
    }

    void onlyTheSelectedRunsAreChecked()
    {
        MainWindowState state;
        QVERIFY(state.OpenAtStart(RealBook().toStdString()));
        state.SetSelected(1, true);
        state.ClickCheck();
        StationCheckWindow check(state, RealBook().toStdString());
        QCOMPARE(check.runTable()->rowCount(), 1);
        QCOMPARE(check.runTable()->item(0, 0)->text(), QStringLiteral("0212"));
    }

    void theReportIsSavedUnderTheProposedNameAndOpened()
    {
        QTemporaryDir folder;
        const QString book = folder.filePath(QStringLiteral("PUSH0809.DAT"));
        QVERIFY(QFile::copy(RealBook(), book));
        MainWindowState state;
        QVERIFY(state.OpenAtStart(book.toStdString()));
        StationCheckWindow check(state, book.toStdString());
        QString proposed;
        QStringList opened;
        QStringList messages;
        check.SetFileOpener([&](const QString& path) { opened << path; });
        check.SetMessageSink([&](const QString& text) { messages << text; });

        // The book itself is refused and stays as it was.
        check.SetReportFileChooser([&](QWidget*, const QString& name) {
            proposed = name;
            return book;
        });
        check.reportButton()->click();
        QCOMPARE(proposed, folder.filePath(QStringLiteral("PUSH0809.html")));
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].contains(QStringLiteral("сам полевой журнал")), qPrintable(messages[0]));
        QVERIFY(opened.isEmpty());
        QCOMPARE(ReadWholeFile(book.toStdString()), ReadWholeFile(RealBook().toStdString()));

        check.SetReportFileChooser([&](QWidget*, const QString& name) { return name; });
        check.reportButton()->click();
        QCOMPARE(opened, QStringList{proposed});
        const std::string page = ReadWholeFile(proposed.toStdString());
        QVERIFY(page.find("0212") != std::string::npos);
        QVERIFY(page.find("<title>Отчёт о нивелировании: PUSH0809.DAT</title>") != std::string::npos);
    }

    void theNetworkGivesNode21TheHeightTheCommandLineComputes()
    {
        MainWindowState state;
        QVERIFY(state.OpenAtStart(RealBook().toStdString()));
        NetworkWindow network(state, RealBook().toStdString());
        QCOMPARE(network.windowTitle(), QStringLiteral("Уравнивание сети"));
        QVERIFY(RowOf(network.nodeTable(), QStringLiteral("46")) >= 0);
        QVERIFY(!network.saveButton()->isEnabled());

        // Nothing fixed: the reason, in Russian.
        network.adjustButton()->click();
        QVERIFY(network.messageLabel()->text().contains(QStringLiteral("не выбран ни один исходный пункт")));
        QCOMPARE(network.catalogueTable()->rowCount(), 0);

        QVERIFY(network.FixPoint(QStringLiteral("46"), QStringLiteral("100,0")));
        network.adjustButton()->click();
        QVERIFY2(network.messageLabel()->isHidden(), qPrintable(network.messageLabel()->text()));
        const std::vector<std::string> cli = velmora::testing::CommandOutputLines(
            "LANGUAGE= LC_ALL=C " + std::string(VELMORA_CLI) + " adjust --fixed 46=100 '" +
            RealBook().toStdString() + "' 2>/dev/null");  // English, as the patterns below read it
        QString expected;
        // σ₀, σ and χ² as the command line words them, with the window's decimal comma.
        const QRegularExpression sigma(QStringLiteral("^sigma0 = ([0-9.]+) mm .*, a priori ([0-9.]+) mm;"));
        const QRegularExpression test(QStringLiteral("chi-square ([0-9.]+), accepted from ([0-9.]+) to ([0-9.]+)$"));
        const auto comma = [](const QRegularExpressionMatch& m, int i) { return m.captured(i).replace('.', ','); };
        QString sigmas;
        QString chiSquare;
        for (const std::string& line : cli) {
            const QString text = QString::fromStdString(line);
            if (line.rfind("21\t", 0) == 0)
                expected = text.section('\t', 1, 1).replace('.', ',');
            if (const QRegularExpressionMatch m = sigma.match(text); m.hasMatch())
                sigmas = QStringLiteral("σ₀ = %1 мм на 1 км (априори %2 мм)").arg(comma(m, 1), comma(m, 2));
            if (const QRegularExpressionMatch m = test.match(text); m.hasMatch())
                chiSquare = QStringLiteral("χ² = %1, допустимо от %2 до %3.")
                                .arg(comma(m, 1), comma(m, 2), comma(m, 3));
        }
        QVERIFY(!expected.isEmpty());
        QVERIFY(!sigmas.isEmpty() && !chiSquare.isEmpty());
        const int node = RowOf(network.catalogueTable(), QStringLiteral("21"));
        QVERIFY(node >= 0);
        QCOMPARE(network.catalogueTable()->item(node, 1)->text(), expected);
        const int fixed = RowOf(network.catalogueTable(), QStringLiteral("46"));
        QCOMPARE(network.catalogueTable()->item(fixed, 3)->text(), QStringLiteral("да"));

        QVERIFY(network.summaryLabel()->text().contains(QStringLiteral("степеней свободы 2")));
        QVERIFY2(network.summaryLabel()->text().startsWith(sigmas), qPrintable(network.summaryLabel()->text()));
        QVERIFY2(network.summaryLabel()->text().endsWith(chiSquare), qPrintable(chiSquare));
        QVERIFY(network.summaryLabel()->text().contains(QStringLiteral("Глобальный тест не пройден")));
        // The loop 0212 is flagged; the sections of 0210 are not.
        QTableWidget* sections = network.sectionTable();
        QCOMPARE(sections->rowCount(), 3);
        QCOMPARE(sections->item(2, 0)->text(), QStringLiteral("0212"));
        QCOMPARE(sections->item(2, 7)->foreground().color(), QColor(255, 0, 0));
        QVERIFY(sections->item(0, 7)->foreground().color() != QColor(255, 0, 0));
        QVERIFY(network.saveButton()->isEnabled());
    }

    void heightsFromAFileAndTheCatalogueSavedAndOpened()
    {
        QTemporaryDir folder;
        const QString heights = folder.filePath(QStringLiteral("heights.txt"));
        QFile file(heights);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("# benchmark\n46 100\n");
        file.close();
        MainWindowState state;
        QVERIFY(state.OpenAtStart(RealBook().toStdString()));
        NetworkWindow network(state, RealBook().toStdString());
        network.SetHeightsFileChooser([&](QWidget*, const QString&) { return heights; });
        network.findChild<QPushButton*>(QStringLiteral("HeightsFile"))->click();
        const int row = RowOf(network.nodeTable(), QStringLiteral("46"));
        QCOMPARE(network.nodeTable()->item(row, 1)->checkState(), Qt::Checked);
        QCOMPARE(network.nodeTable()->item(row, 2)->text(), QStringLiteral("100"));
        network.adjustButton()->click();

        const QString csv = folder.filePath(QStringLiteral("heights.csv"));
        QStringList opened;
        network.SetFileOpener([&](const QString& path) { opened << path; });
        network.SetSaveFileChooser([&](QWidget*, const QString&) { return csv; });
        network.saveButton()->click();
        QCOMPARE(opened, QStringList{csv});
        const std::string expected = folder.filePath(QStringLiteral("expected.csv")).toStdString();
        CommandOutput(std::string(VELMORA_CLI) + " adjust --fixed 46=100 --output '" + expected + "' '" +
                      RealBook().toStdString() + "' >/dev/null 2>&1");
        QCOMPARE(ReadWholeFile(csv.toStdString()), ReadWholeFile(expected));
    }

    void aRunThatCannotBeReadSaysWhy()
    {
        QTemporaryDir folder;
        const QString book = folder.filePath(QStringLiteral("broken.DAT"));
        // A reading in a unit the instrument does not write: nothing of run 1 may be used.
        std::string foresight = velmora::testing::M5Line({"B", "1", "Rf", "1.2000", "20"});
        foresight.replace(foresight.find(" m "), 3, " f ");
        QFile file(book);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(velmora::testing::JoinLines({
            velmora::testing::M5Line({"A", "1", "Rb", "1.5000", "20"}), foresight,
            velmora::testing::M5Line({"B", "1", "Rb", "1.1000", "15"}),
            velmora::testing::M5Line({"A", "1", "Rf", "1.3990", "15"})}).c_str());
        file.close();
        MainWindowState state;
        QVERIFY(state.OpenAtStart(book.toStdString()));
        NetworkWindow network(state, book.toStdString());
        QVERIFY(!network.adjustButton()->isEnabled());
        QVERIFY2(network.messageLabel()->text().startsWith(QStringLiteral("Сеть не уравнивается: ход 1 не читается")),
                 qPrintable(network.messageLabel()->text()));
    }

    void backAndForwardAreAsIfNeitherWindowHadBeenOpened()
    {
        MainWindow used(RealBook().toStdString());
        MainWindow untouched(RealBook().toStdString());
        for (MainWindow* window : {&used, &untouched}) {
            window->runListView()->setCurrentIndex(window->runListView()->model()->index(1, 0));
            window->N1Click();
            window->Button2Click();
        }
        QStringList shown;
        QTemporaryDir folder;
        const QString project = folder.filePath(QStringLiteral("works.vtm"));
        QStringList saved;
        used.SetToolWindowHook([&](QDialog* dialog) {
            shown << dialog->windowTitle();
            QTimer::singleShot(0, dialog, [&, dialog] {
                if (auto* check = qobject_cast<StationCheckWindow*>(dialog)) {
                    check->SetReportFileChooser([](QWidget*, const QString&) { return QString(); });
                    check->ReportClick();
                }
                if (auto* network = qobject_cast<NetworkWindow*>(dialog)) {
                    network->FixPoint(QStringLiteral("46"), QStringLiteral("100"));
                    network->AdjustClick();
                }
                if (auto* monitor = qobject_cast<MonitorWindow*>(dialog)) {
                    monitor->SetNewProjectChooser([&](QWidget*, const QString&) { return project; });
                    monitor->SetSettingsAsker([] {
                        NewProjectInput input;
                        input.benchmarks = "46=100";
                        return std::optional<NewProjectInput>(input);
                    });
                    monitor->SetDateAsker([](const QString&) { return QStringLiteral("2008-09-08"); });
                    monitor->CreateProjectClick();
                    monitor->AddCycleClick();
                    monitor->SetSheetChooser([&](QWidget*, const QString&) { return folder.filePath("sheet.csv"); });
                    monitor->SetFileOpener([&](const QString& path) { saved << path; });
                    monitor->SaveSheetClick();
                }
                dialog->reject();
            });
        });
        const Seen before = SeenIn(used);
        used.menuAction("CheckStations1")->trigger();
        used.menuAction("AdjustNetwork1")->trigger();
        used.menuAction("SettlementMonitoring1")->trigger();
        QCOMPARE(shown, (QStringList{"Контроль станций", "Уравнивание сети", "Мониторинг осадок"}));
        QCOMPARE(saved, QStringList{folder.filePath("sheet.csv")});  // the project had its cycle
        QVERIFY(SeenIn(used) == before);
        QVERIFY(SeenIn(used) == SeenIn(untouched));

        for (int step = 0; step < 3; ++step) {
            used.Button7Click();
            untouched.Button7Click();
            QVERIFY(SeenIn(used) == SeenIn(untouched));
        }
        used.Button6Click();
        untouched.Button6Click();
        QVERIFY(SeenIn(used) == SeenIn(untouched));
        // And the books saved then are the same.
        const std::string usedBook = folder.filePath(QStringLiteral("used.DAT")).toStdString();
        const std::string untouchedBook = folder.filePath(QStringLiteral("untouched.DAT")).toStdString();
        std::string error;
        QVERIFY(used.state().SaveMeasurementFile(usedBook, error));
        QVERIFY(untouched.state().SaveMeasurementFile(untouchedBook, error));
        QCOMPARE(ReadWholeFile(usedBook), ReadWholeFile(untouchedBook));
    }
};

VELMORA_WIDGET_TEST_MAIN(ToolsWindowTest)
#include "ToolsWindowTest.moc"
