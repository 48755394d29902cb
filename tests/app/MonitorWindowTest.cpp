// SPDX-License-Identifier: MIT
// "Мониторинг осадок" on the public cycles of the grouting works: the project made in the
// window gives the command-line tool's sheet, refusals store nothing, significant settlements
// are red, and the outputs never go over the open book or the project.

#include "MonitorProjectDialog.h"
#include "MonitorWindow.h"
#include "WidgetTestMain.h"

#include "FieldBookLines.h"
#include "MonitorBooks.h"
#include "state/MainWindowState.h"
#include "state/ToolRuns.h"

#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <map>
#include <memory>

using namespace velmora;
using namespace velmora::app;
using velmora::testing::CommandOutput;
using velmora::testing::ReadWholeFile;

namespace {

// The five cycles in the order they were levelled, with their days.
const std::pair<const char*, const char*> kCycles[] = {
    {"2022-03-02", "KO220302_injektaze_orig"}, {"2022-03-04", "KO220304"}, {"2022-03-05", "NI220305"},
    {"2022-03-07", "KO220307"}, {"2022-12-02", "NI221202"}};

QString Book(const char* name)
{
    return QString::fromStdString(velmora::testing::RealFieldBooksFolder()) + QStringLiteral("/ctu-yobp_2022-b_") +
           QString::fromLatin1(name) + QStringLiteral(".DAT");
}

NewProjectInput WorksProject()
{
    NewProjectInput input;
    input.benchmarks = "F2=10,0\nF4\nF5";
    input.toleranceClass = ToleranceClass::II;
    input.alpha = "0,05";
    return input;
}

// A window on `book` whose dialogs answer as given: the project file, the cycle's day.
struct Opened {
    MainWindowState state;
    std::unique_ptr<MonitorWindow> window;
    QString proposedDate;
    QStringList opened;

    Opened(const QString& book, const QString& project, const QString& date)
    {
        if (!state.OpenAtStart(book.toStdString()))
            qFatal("cannot open %s", qPrintable(book));
        window = std::make_unique<MonitorWindow>(state, book.toStdString());
        window->SetOpenProjectChooser([project](QWidget*, const QString&) { return project; });
        window->SetNewProjectChooser([project](QWidget*, const QString&) { return project; });
        window->SetSettingsAsker([] { return std::optional<NewProjectInput>(WorksProject()); });
        window->SetDateAsker([this, date](const QString& proposed) {
            proposedDate = proposed;
            return date;
        });
        window->SetFileOpener([this](const QString& path) { opened << path; });
    }
};

int RowOf(const QTableWidget* table, const QString& first)
{
    for (int r = 0; r < table->rowCount(); ++r) {
        if (table->item(r, 0) && table->item(r, 0)->text() == first)
            return r;
    }
    return -1;
}

}  // namespace

class MonitorWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        if (!QFile::exists(Book("KO220304"))) {
            if (velmora::testing::InContinuousIntegration())
                QFAIL("no ctu-yobp field books");
            QSKIP("the real field books are not here");
        }
        folder_ = std::make_unique<QTemporaryDir>();
        QVERIFY(folder_->isValid());
        project_ = folder_->filePath(QStringLiteral("works.vtm"));
    }

    void theFiveCyclesGiveTheSheetOfTheCommandLine()
    {
        for (const auto& [date, name] : kCycles) {
            const bool first = !QFile::exists(project_);
            Opened window(Book(name), project_, QString::fromLatin1(date));
            if (QFile::exists(project_))
                window.window->OpenProjectClick();
            else
                window.window->CreateProjectClick();
            QCOMPARE(window.window->windowTitle(), QStringLiteral("Мониторинг осадок — works.vtm"));
            window.window->addCycleButton()->click();
            QVERIFY2(window.window->messageLabel()->isHidden(), qPrintable(window.window->messageLabel()->text()));
            // The new cycle's benchmarks test, shown at once: no benchmark moved, and every cycle
            // after the first is tested against it.
            const QString test = window.window->testLabel()->text();
            QVERIFY2(test.startsWith(QStringLiteral("цикл %1 (%2)").arg(window.window->cycleList()->count()).arg(date)),
                     qPrintable(test));
            QVERIFY2(test.contains(QStringLiteral("\nзакреплены: F2")) && test.endsWith(QStringLiteral("; сместились: -")),
                     qPrintable(test));
            QCOMPARE(test.contains(QStringLiteral("\nреперы согласуются с циклом 1: хи-квадрат ")), !first);
        }
        Opened last(Book("NI221202"), project_, {});
        last.window->OpenProjectClick();
        QCOMPARE(last.window->cycleList()->count(), 5);
        last.window->settlementTable()->selectRow(RowOf(last.window->settlementTable(), QStringLiteral("B04")));
        last.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(last.window.get()));
        last.window->grab().save(QStringLiteral(VELMORA_SCREENSHOT_DIR "/monitor-window.png"));

        const QString csv = folder_->filePath(QStringLiteral("works.csv"));
        last.window->SetSheetChooser([&](QWidget*, const QString&) { return csv; });
        last.window->saveSheetButton()->click();
        QCOMPARE(last.opened, QStringList{csv});
        const std::string cli = std::string(VELMORA_CLI) + " monitor ";
        const std::string made = folder_->filePath(QStringLiteral("cli.vtm")).toStdString();
        CommandOutput(cli + "create '" + made + "' --benchmarks F2=10,F4,F5 --class II");
        for (const auto& [date, name] : kCycles)
            CommandOutput(cli + "add '" + made + "' --date " + date + " '" + Book(name).toStdString() + "'");
        const std::string expected = folder_->filePath(QStringLiteral("cli.csv")).toStdString();
        CommandOutput(cli + "export '" + made + "' --output '" + expected + "'");
        QVERIFY(!ReadWholeFile(expected).empty());
        QCOMPARE(ReadWholeFile(csv.toStdString()), ReadWholeFile(expected));
    }

    void significantSettlementsAreRedAndSayTheirTest()
    {
        for (int k = 0; k < 2; ++k) {
            Opened window(Book(kCycles[k].second), project_, QString::fromLatin1(kCycles[k].first));
            if (k == 0)
                window.window->CreateProjectClick();
            else
                window.window->OpenProjectClick();
            window.window->addCycleButton()->click();
        }
        Opened window(Book("KO220304"), project_, {});
        window.window->OpenProjectClick();
        QTableWidget* table = window.window->settlementTable();
        const int b04 = RowOf(table, QStringLiteral("B04"));
        QVERIFY(b04 >= 0);
        QCOMPARE(table->item(RowOf(table, QStringLiteral("F4 (репер)")), 0)->text(), QStringLiteral("F4 (репер)"));
        // Cycle 2's columns: H, the settlement of the cycle, since the first, the rate.
        const int cycle2 = 1 + MonitorWindow::kColumnsPerCycle;
        QCOMPARE(table->item(b04, cycle2 + 2)->text(), QStringLiteral("-2,31"));
        QCOMPARE(table->item(b04, cycle2 + 3)->text(), QStringLiteral("-1,153"));
        for (int k : {1, 2})
            QCOMPARE(table->item(b04, cycle2 + k)->foreground().color(), QColor(255, 0, 0));
        QVERIFY(table->item(b04, cycle2)->foreground().color() != QColor(255, 0, 0));
        QVERIFY(table->item(b04, 1 + 2)->foreground().color() != QColor(255, 0, 0));
        QCOMPARE(table->item(b04, 1 + 2)->text(), QStringLiteral("—"));
        const QString tip = table->item(b04, cycle2 + 2)->toolTip();
        QVERIFY2(tip.contains(QStringLiteral("суммарная с первого цикла пункта -2,31 мм, σ ")) &&
                     tip.endsWith(QStringLiteral(": значима при α = 0,05")),
                 qPrintable(tip));
        const int f4 = RowOf(table, QStringLiteral("F4 (репер)"));
        QVERIFY2(table->item(f4, cycle2 + 2)->toolTip().endsWith(QStringLiteral("незначима при α = 0,05")),
                 qPrintable(table->item(f4, cycle2 + 2)->toolTip()));

        // The selected mark's chart is the highlighted one.
        QCOMPARE(window.window->chartFrames().size(), static_cast<std::size_t>(table->rowCount()));
        table->selectRow(b04);
        for (int r = 0; r < table->rowCount(); ++r)
            QCOMPARE(window.window->chartFrames()[static_cast<std::size_t>(r)]->property("highlighted").toBool(), r == b04);
    }

    void aBenchmarkThatMovedIsMarkedInItsCycle()
    {
        // One loop over benchmarks R1, R2, R3 and two marks; R3 rises by 5 mm in the second cycle.
        using velmora::testing::SetUp;
        const std::vector<SetUp> loop = {{"R1", {"M1"}, "T1"}, {"T1", {}, "R2"}, {"R2", {}, "T2"},
                                         {"T2", {"M2"}, "R3"}, {"R3", {}, "T3"}, {"T3", {}, "R1"}};
        std::map<std::string, double> heights = {{"R1", 100.0}, {"R2", 100.8}, {"R3", 99.7}, {"M1", 100.3},
                                                 {"M2", 100.1}, {"T1", 100.5}, {"T2", 100.2}, {"T3", 99.9}};
        const QString days[] = {QStringLiteral("2024-05-01"), QStringLiteral("2024-06-01")};
        for (const QString& day : days) {
            const QString book = folder_->filePath(day + QStringLiteral(".DAT"));
            QFile file(book);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(velmora::testing::SyntheticBook(loop, heights).c_str());
            file.close();
            Opened window(book, project_, day);
            window.window->SetSettingsAsker([] {
                NewProjectInput input;
                input.benchmarks = "R1=100\nR2\nR3";
                input.sigmaMillimetres = "1";
                return std::optional<NewProjectInput>(input);
            });
            if (day == days[0])
                window.window->CreateProjectClick();
            else
                window.window->OpenProjectClick();
            window.window->addCycleButton()->click();
            heights["R3"] += 0.005;
        }
        Opened window(folder_->filePath(days[1] + QStringLiteral(".DAT")), project_, {});
        window.window->OpenProjectClick();
        QVERIFY2(window.window->testLabel()->text().endsWith(QStringLiteral("закреплены: R1, R2; сместились: R3")),
                 qPrintable(window.window->testLabel()->text()));
        QTableWidget* table = window.window->settlementTable();
        const int cycle2 = 1 + MonitorWindow::kColumnsPerCycle;
        for (const char* point : {"R3 (репер)", "R2 (репер)"}) {
            const int row = RowOf(table, QString::fromUtf8(point));
            QVERIFY(row >= 0);
            const bool moved = QString::fromUtf8(point).startsWith(QStringLiteral("R3"));
            QCOMPARE(table->item(row, cycle2)->background().style() != Qt::NoBrush, moved);
            QCOMPARE(table->item(row, cycle2)->toolTip().contains(QStringLiteral("репер сместился")), moved);
            QCOMPARE(table->item(row, 1)->background().style() != Qt::NoBrush, false);
        }
    }

    void aRefusedCycleIsSaidAndNothingIsStored_data()
    {
        QTest::addColumn<QString>("book");
        QTest::addColumn<QString>("said");
        QTest::newRow("the same book twice") << Book("KO220302_injektaze_orig") << QStringLiteral("уже есть в проекте");
        QTest::newRow("no benchmark reached")
            << QStringLiteral(VELMORA_SAMPLES_DIR "/levelling_m5.DAT")
            << QStringLiteral("не доходит ни до одного опорного репера с высотой");
        QTest::newRow("a run that cannot be read") << QString() << QStringLiteral("не читается");
        QTest::newRow("a day that is no day") << Book("KO220304") << QStringLiteral("2022-02-30");
        QTest::newRow("a reading edited in the grid") << Book("KO220304") << QStringLiteral("изменены в таблице");
    }

    void aRefusedCycleIsSaidAndNothingIsStored()
    {
        QFETCH(QString, book);
        QFETCH(QString, said);
        {
            Opened first(Book("KO220302_injektaze_orig"), project_, QStringLiteral("2022-03-02"));
            first.window->CreateProjectClick();
            first.window->addCycleButton()->click();
        }
        if (book.isEmpty()) {
            // Benchmark F2 read in a unit the instrument does not write: the run cannot be read.
            book = folder_->filePath(QStringLiteral("broken.DAT"));
            std::string foresight = velmora::testing::M5Line({"B", "1", "Rf", "1.2000", "20"});
            foresight.replace(foresight.find(" m "), 3, " f ");
            QFile file(book);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(velmora::testing::JoinLines({velmora::testing::M5Line({"F2", "1", "Rb", "1.5000", "20"}),
                                                   foresight}).c_str());
        }
        const std::string before = ReadWholeFile(project_.toStdString());
        const QString date = said == QStringLiteral("2022-02-30") ? said : QStringLiteral("2022-03-09");
        Opened window(book, project_, date);
        if (said == QStringLiteral("изменены в таблице")) {
            window.state.SelectAllRuns(true);
            window.state.OnSetEditText(1, 2, "1.2345");
        }
        window.window->OpenProjectClick();
        window.window->addCycleButton()->click();
        QVERIFY2(window.window->messageLabel()->text().startsWith(QStringLiteral("Цикл не добавлен: ")) &&
                     window.window->messageLabel()->text().contains(said),
                 qPrintable(window.window->messageLabel()->text()));
        QCOMPARE(window.window->cycleList()->count(), 1);
        QCOMPARE(ReadWholeFile(project_.toStdString()), before);
    }

    void theDayIsProposedFromTheBookAndAsked()
    {
        const QString book = folder_->filePath(QStringLiteral("KO220304.DAT"));
        QVERIFY(QFile::copy(Book("KO220304"), book));
        std::filesystem::last_write_time(book.toStdString(),
                                         std::filesystem::last_write_time(book.toStdString()) - std::chrono::hours(24 * 400));
        const std::string day = CommandOutput("date -r '" + book.toStdString() + "' +%F");
        Opened window(book, project_, QStringLiteral("2022-03-04"));
        window.window->CreateProjectClick();
        window.window->addCycleButton()->click();
        QCOMPARE(window.proposedDate.toStdString() + "\n", day);
        QVERIFY(window.window->cycleList()->item(0)->text().startsWith(QStringLiteral("цикл 1 (2022-03-04): KO220304.DAT")));
    }

    void aCycleIsRemovedOnlyWhenTheUserAgrees()
    {
        Opened window(Book("KO220304"), project_, QStringLiteral("2022-03-04"));
        window.window->CreateProjectClick();
        window.window->addCycleButton()->click();
        QStringList asked;
        bool agree = false;
        window.window->SetQuestionAsker([&](const QString& question) {
            asked << question;
            return agree;
        });
        window.window->cycleList()->setCurrentRow(0);
        // By its key, as by its button.
        window.window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.window.get()));
        QTest::keyClick(window.window->cycleList(), Qt::Key_Delete);
        QCOMPARE(asked, QStringList{QStringLiteral("Удалить цикл 1 (2022-03-04) из проекта?")});
        QCOMPARE(window.window->cycleList()->count(), 1);
        agree = true;
        window.window->removeCycleButton()->click();
        QCOMPARE(window.window->cycleList()->count(), 0);
        QCOMPARE(window.window->settlementTable()->rowCount(), 0);
    }

    void theOutputsNeverGoOverTheBookOrTheProject_data()
    {
        QTest::addColumn<bool>("report");
        QTest::addColumn<bool>("overBook");
        QTest::addColumn<QString>("said");
        QTest::newRow("sheet over the book") << false << true << QStringLiteral("сам полевой журнал");
        QTest::newRow("sheet over the project") << false << false << QStringLiteral("сам проект");
        QTest::newRow("report over the book") << true << true << QStringLiteral("сам полевой журнал");
        QTest::newRow("report over the project") << true << false << QStringLiteral("сам проект");
    }

    void theOutputsNeverGoOverTheBookOrTheProject()
    {
        QFETCH(bool, report);
        QFETCH(bool, overBook);
        QFETCH(QString, said);
        const QString book = folder_->filePath(QStringLiteral("KO220304.xls"));  // a book of any name
        QVERIFY(QFile::copy(Book("KO220304"), book));
        Opened window(book, project_, QStringLiteral("2022-03-04"));
        window.window->CreateProjectClick();
        window.window->addCycleButton()->click();
        const std::string bookBytes = ReadWholeFile(book.toStdString());
        const std::string projectBytes = ReadWholeFile(project_.toStdString());
        const QString target = overBook ? book : project_;
        auto chooser = [&](QWidget*, const QString&) { return target; };
        window.window->SetSheetChooser(chooser);
        window.window->SetReportChooser(chooser);
        (report ? window.window->reportButton() : window.window->saveSheetButton())->click();
        QVERIFY2(window.window->messageLabel()->text().contains(said), qPrintable(window.window->messageLabel()->text()));
        QVERIFY(window.opened.isEmpty());
        QCOMPARE(ReadWholeFile(book.toStdString()), bookBytes);
        QCOMPARE(ReadWholeFile(project_.toStdString()), projectBytes);
    }

    void aNewProjectTakesTheDefaultMarksUntilTheyAreEdited()
    {
        MainWindowState state;
        QVERIFY(state.OpenAtStart(Book("KO220304").toStdString()));
        MonitorProjectDialog dialog(ToleranceClass::II, [&](const std::string& benchmarks) {
            return MonitorTool::DefaultMarksText(state, ToolRunNumbers(state.runList()), benchmarks);
        });
        QVERIFY(dialog.marksEdit()->toPlainText().contains(QStringLiteral("F2")));
        dialog.benchmarksEdit()->setPlainText(QStringLiteral("F2=10,0\nF4\nF5"));
        const QString marks = dialog.marksEdit()->toPlainText();
        QVERIFY2(marks.startsWith(QStringLiteral("B01, ")) && !marks.contains(QStringLiteral("F")), qPrintable(marks));
        QCOMPARE(dialog.Input().marks, dialog.Input().proposedMarks);

        MonitorTool tool;
        std::string error;
        const std::string path = project_.toStdString();
        QVERIFY2(tool.Create(path, dialog.Input(), error), error.c_str());
        QVERIFY(!tool.settings().monitor.marks.has_value());
        QCOMPARE(tool.settings().monitor.benchmarks.front().height.value_or(0), 10.0);

        // Edited, the list is the project's own and no longer follows the benchmarks.
        dialog.marksEdit()->setPlainText(QStringLiteral("B04; B05"));
        dialog.benchmarksEdit()->setPlainText(QStringLiteral("F2=10,0"));
        QCOMPARE(dialog.marksEdit()->toPlainText(), QStringLiteral("B04; B05"));
        MonitorTool edited;
        QVERIFY2(edited.Create(path + "2", dialog.Input(), error), error.c_str());
        QCOMPARE(edited.settings().monitor.marks.value_or(std::vector<std::string>{}),
                 (std::vector<std::string>{"B04", "B05"}));

        NewProjectInput bad = WorksProject();
        bad.benchmarks = "F2=ten";
        QVERIFY(!tool.Create(path + "3", bad, error));
        QCOMPARE(QString::fromStdString(error), QStringLiteral("высота репера F2 не является числом: «ten»"));
        QVERIFY(!QFile::exists(project_ + "3"));
    }

private:
    std::unique_ptr<QTemporaryDir> folder_;
    QString project_;
};

VELMORA_WIDGET_TEST_MAIN(MonitorWindowTest)
#include "MonitorWindowTest.moc"
