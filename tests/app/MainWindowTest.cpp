// SPDX-License-Identifier: MIT
#include "MainWindow.h"
#include "WidgetTestMain.h"

#include "QtText.h"
#include "RunListModel.h"

#include "FieldBookLines.h"

#include <QAction>
#include <QHeaderView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTemporaryDir>
#include <QToolTip>

#include <fstream>
#include <sstream>

using namespace velmora;
using namespace velmora::app;

namespace {

const std::string kSample = VELMORA_SAMPLES_DIR "/levelling_m5.DAT";

QStringList ListTexts(const MainWindow& window)
{
    QStringList texts;
    const auto* model = window.runListView()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, 0).data().toString();
    return texts;
}

// The colour drawn in the middle of a list row, towards its right end (past the text).
QColor RowColour(MainWindow& window, int row)
{
    QListView* list = window.runListView();
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    const QImage image = list->viewport()->grab().toImage();
    return image.pixelColor(rect.right() - 3, rect.center().y());
}

std::string ReadAll(const QString& path)
{
    std::ifstream file(path.toStdString(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithoutAFileShowingTheFailedOpen()
    {
        MainWindow window("");
        QCOMPARE(window.label1()->text(), QStringLiteral("ERROR"));
        QCOMPARE(window.statusLabel()->text(), QStringLiteral("Файл не открыт или не открылся."));
        QCOMPARE(window.label2()->text(), QStringLiteral("II кл."));
        QCOMPARE(window.runListView()->model()->rowCount(), 0);
        QCOMPARE(window.gridView()->model()->rowCount(), 1);
        QCOMPARE(window.gridView()->model()->index(0, 0).data().toString(), QString());
        QCOMPARE(window.windowTitle(),
                 QStringLiteral("Velmora Tesk 1.0") + QString(27, ' ') + "www.velmora.example");
    }

    void startsWithASampleAndShowsItsRuns()
    {
        MainWindow window(kSample);
        QCOMPARE(window.label1()->text(), QString());
        QCOMPARE(window.statusLabel()->text(), QString::fromStdString(kSample));
        QCOMPARE(ListTexts(window),
                 QStringList({"1 // -0.0015", "2 // 0.003 ", "3 // ----", "4 // ****",
                              "5 // 0.0008", "12 // -0.0054 ", "13 // -0", "12 // -0.0054 "}));
    }

    // The program's start: the window appears before its book is read, with the busy cursor,
    // and input given meanwhile is held back rather than acting on the empty window.
    void readsTheStartFileOnceTheWindowIsPainted()
    {
        MainWindow window(kSample, MainWindow::StartReading::WhenShown);
        QCOMPARE(window.runListView()->model()->rowCount(), 0);
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        // "Показать всё" pressed before the book is read selects nothing.
        QTest::mouseClick(window.button(2), Qt::LeftButton);
        QCOMPARE(window.state().journal().entries().size(), std::size_t{0});

        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE(window.runListView()->model()->rowCount(), 8);
        QCOMPARE(window.statusLabel()->text(), QString::fromStdString(kSample));
        QVERIFY(!QGuiApplication::overrideCursor());
        QTest::mouseClick(window.button(2), Qt::LeftButton);
        QCOMPARE(window.state().journal().entries().size(), std::size_t{1});
    }

    void layoutIsFixedAsDesigned()
    {
        MainWindow window(kSample);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.centralWidget()->size(), QSize(704, 626));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QCOMPARE(window.button(1)->geometry(), QRect(0, 0, 160, 25));
        QCOMPARE(window.button(6)->text(), QStringLiteral("Forward   ----------------------------------->"));
        QCOMPARE(window.button(7)->text(), QStringLiteral("<-----------------------------------   Back "));
        QCOMPARE(window.runListView()->geometry(), QRect(48, 48, 145, 561));
        QCOMPARE(window.gridView()->geometry(), QRect(248, 48, 417, 561));
        const QStringList headers = {"Номер точки", "Back Forward", "Отcчёт", "Расстояние"};
        for (int column = 0; column < 4; ++column) {
            QCOMPARE(window.gridView()->model()->headerData(column, Qt::Horizontal).toString(),
                     headers[column]);
        }
        QCOMPARE(headers[2].at(2), QChar('c'));  // a Latin c
        QCOMPARE(window.gridView()->columnWidth(0), 104);
        QCOMPARE(window.gridView()->columnWidth(3), 111);
        QCOMPARE(window.runListView()->visualRect(window.runListView()->model()->index(1, 0)).height(), 13);
        QCOMPARE(window.runListView()->selectionMode(), QAbstractItemView::ExtendedSelection);
    }

    void listColoursComeOutAsDrawnPixels()
    {
        MainWindow window(kSample);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // Row 1 ("2 // 0.003 ") is above tolerance, row 0 is not.
        QCOMPARE(RowColour(window, 1), RunListDelegate::kRed);
        QCOMPARE(RowColour(window, 0), RunListDelegate::kListColour);
        window.runListView()->selectionModel()->select(window.runListView()->model()->index(0, 0),
                                                       QItemSelectionModel::Select);
        window.runListView()->selectionModel()->select(window.runListView()->model()->index(1, 0),
                                                       QItemSelectionModel::Select);
        QCOMPARE(RowColour(window, 1), RunListDelegate::kFuchsia);
        QCOMPARE(RowColour(window, 0), RunListDelegate::kGreyTextColour);
    }

    void selectingRunsFillsTheGridAndClassMenuRecolours()
    {
        MainWindow window(kSample);
        window.show();
        QListView* list = window.runListView();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(2, 0)).center());
        QVERIFY(window.state().runList().entries()[2].selected);
        QVERIFY(window.gridView()->model()->rowCount() > 1);
        QCOMPARE(window.gridView()->model()->index(0, 1).data().toString(), QStringLiteral("Rb"));

        window.menuAction("IIIclass1")->trigger();
        QCOMPARE(window.label2()->text(), QStringLiteral("III кл."));
        QCOMPARE(ListTexts(window)[1], QStringLiteral("2 // 0.003"));
        QVERIFY(list->selectionModel()->isRowSelected(2, {}));
        window.menuAction("Iclass1")->trigger();
        QCOMPARE(window.label2()->text(), QStringLiteral("I кл."));
        QCOMPARE(ListTexts(window)[0], QStringLiteral("1 // -0.0015 "));
    }

    void deleteKeyAndPopupMenuDeleteSelectedRuns()
    {
        MainWindow window(kSample);
        window.show();
        QListView* list = window.runListView();
        list->setFocus();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(0, 0)).center());
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(ListTexts(window).size(), 7);
        QCOMPARE(ListTexts(window)[0], QStringLiteral("2 // 0.003 "));
        QCOMPARE(window.gridView()->model()->rowCount(), 1);

        window.Button2Click();  // "Показать всё"
        QCOMPARE(list->selectionModel()->selectedRows().size(), 7);
        QAction* remove = window.popupMenu()->actions().constFirst();
        QCOMPARE(remove->text(), QStringLiteral("Удалить"));
        remove->trigger();
        QCOMPARE(ListTexts(window).size(), 0);
    }

    void rightClickOpensTheMenuWhichDeletesTheSelection()
    {
        MainWindow window(kSample);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QListView* list = window.runListView();
        QWidget* viewport = list->viewport();
        auto centre = [&](int row) { return list->visualRect(list->model()->index(row, 0)).center(); };
        QTest::mouseClick(viewport, Qt::LeftButton, {}, centre(0));
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, centre(1));
        const std::size_t recorded = window.state().journal().entries().size();

        // Right button on run 5, which is not selected: press, release and the menu's event.
        QTest::mousePress(viewport, Qt::RightButton, {}, centre(4));
        QTest::mouseRelease(viewport, Qt::RightButton, {}, centre(4));
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, centre(4), viewport->mapToGlobal(centre(4)));
        QApplication::sendEvent(viewport, &menuEvent);
        QVERIFY(window.popupMenu()->isVisible());
        window.popupMenu()->hide();
        QCOMPARE(list->selectionModel()->selectedRows().size(), 2);
        QCOMPARE(window.state().journal().entries().size(), recorded);
        QCOMPARE(list->currentIndex().row(), 1);

        window.popupMenu()->actions().constFirst()->trigger();  // "Удалить"
        QCOMPARE(ListTexts(window), QStringList({"3 // ----", "4 // ****", "5 // 0.0008", "12 // -0.0054 ",
                                                 "13 // -0", "12 // -0.0054 "}));
    }

    void tabLeavesTheGridInTheWindowsOrder()
    {
        MainWindow window(kSample);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTableView* grid = window.gridView();
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), window.button(2));
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), window.button(1));

        // Also from a cell being edited: the text goes into the record, then the focus moves on.
        window.Button2Click();
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(0, 2));
        grid->edit(grid->currentIndex());
        auto* editor = grid->findChild<QLineEdit*>();
        QVERIFY(editor);
        QTest::keyClicks(editor, "7");
        QTest::keyClick(editor, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), window.button(2));
        QCOMPARE(window.state().GridCell(1, 2), std::string_view("7"));
        QTRY_VERIFY(grid->findChild<QLineEdit*>() == nullptr);  // the editor is closed
    }

    // Shift+click selects the range from the anchor and nothing else; Ctrl+Shift+click adds
    // the range to what was selected; Shift with an arrow key starts over from the anchor too.
    void extendedSelectionTakesTheRangeFromTheAnchorOnly()
    {
        MainWindow window(kSample);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QListView* list = window.runListView();
        QWidget* viewport = list->viewport();
        auto centre = [&](int row) { return list->visualRect(list->model()->index(row, 0)).center(); };
        auto selected = [&] {
            QList<int> rows;
            for (std::size_t i = 0; i < window.state().runList().size(); ++i) {
                if (window.state().runList().entries()[i].selected)
                    rows << static_cast<int>(i);
            }
            return rows;
        };

        QTest::mouseClick(viewport, Qt::LeftButton, {}, centre(0));
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, centre(2));
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, centre(4));
        QCOMPARE(selected(), QList<int>({2, 3, 4}));
        QCOMPARE(list->selectionModel()->selectedRows().size(), 3);

        QTest::mouseClick(viewport, Qt::LeftButton, {}, centre(0));
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, centre(2));
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, centre(4));
        QCOMPARE(selected(), QList<int>({0, 2, 3, 4}));

        list->setFocus();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, centre(0));
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, centre(5));
        QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(selected(), QList<int>({5, 6}));
        // The grid shows the runs selected, as after any click.
        window.state().FillGridFromSelection();
        QCOMPARE(window.gridView()->model()->rowCount(), window.state().grid().dataRowCount());
    }

    // Shift+F10 opens the pop-up menu like the Menu key, over the focused row, without
    // changing the selection or the journal.
    void shiftF10OpensThePopupMenu()
    {
        MainWindow window(kSample);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QListView* list = window.runListView();
        list->setFocus();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(3, 0)).center());
        const std::size_t recorded = window.state().journal().entries().size();
        QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(window.popupMenu()->isVisible());
        const QRect row = list->visualRect(list->currentIndex());
        QCOMPARE(window.popupMenu()->pos(), list->viewport()->mapToGlobal(row.bottomLeft()));
        window.popupMenu()->hide();
        QCOMPARE(list->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(window.state().journal().entries().size(), recorded);
        // F10 alone is not the menu's key.
        QTest::keyClick(list, Qt::Key_F10);
        QVERIFY(!window.popupMenu()->isVisible());
    }

    // An entry's tooltip: why its run cannot be read, or its sums against the instrument's.
    void runTooltipsSayWhyAndWhatTheInstrumentSays()
    {
        QTemporaryDir folder;
        const QString book = folder.filePath("tips.DAT");
        {
            std::ofstream out(book.toStdString(), std::ios::binary);
            out << testing::JoinLines({testing::M5Line({"A", "1", "Rb", "2.47", "10"}),
                                       testing::M5Line({"A", "1", "Rf", "1.47", "10"}),
                                       testing::M5Line({"A", "1", "Sh", "1.00001", ""}),
                                       testing::M5Line({"A", "1", "Db", "10", "10"})});
        }
        MainWindow window(book.toStdString());
        QCOMPARE(ListTexts(window).size(), 1);
        const QModelIndex entry = window.runListView()->model()->index(0, 0);
        QCOMPARE(entry.data(Qt::ToolTipRole).toString(),
                 QStringLiteral("Прибор (Sh, Db+Df): превышение 1,00001 м, длина 20,000 м\n"
                                "Программа: превышение 1,00000 м, длина 20,000 м\n"
                                "Совпадает с прибором."));

        // The reading edited into no number: the run cannot be read, and the tip says why.
        window.Button2Click();
        window.state().OnSetEditText(2, 2, "x");
        QCOMPARE(entry.data(Qt::ToolTipRole).toString(),
                 QStringLiteral("Ход не читается: отсчёт или расстояние — не число"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QListView* list = window.runListView();
        const QPoint at = list->visualRect(entry).center();
        QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &help);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QStringLiteral("Ход не читается: отсчёт или расстояние — не число"));
        QToolTip::hideText();
    }

    void focusedRowOfTheListShowsAFocusRectangle()
    {
        MainWindow window(kSample);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QListView* list = window.runListView();
        list->setFocus();
        const QRect row = list->visualRect(list->model()->index(4, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(list->currentIndex().row(), 4);
        // The top and bottom edges of the row, right of its text, carry the dots.
        const QImage image = list->viewport()->grab().toImage();
        int dots = 0;
        for (int x = row.right() - 20; x <= row.right(); ++x) {
            dots += image.pixelColor(x, row.top()) != RunListDelegate::kGreyTextColour;
            dots += image.pixelColor(x, row.bottom()) != RunListDelegate::kGreyTextColour;
        }
        QVERIFY2(dots >= 10, qPrintable(QString::number(dots)));
        // The dots stand out from a selected row's grey, in white (its inverse is another grey).
        int white = 0;
        for (int x = row.right() - 20; x <= row.right(); ++x)
            white += image.pixelColor(x, row.top()) == QColor(Qt::white);
        QVERIFY2(white >= 5, qPrintable(QString::number(white)));
        QCOMPARE(RunListDelegate::FocusColour(RunListDelegate::kListColour), QColor(Qt::black));
        QCOMPARE(RunListDelegate::FocusColour(RunListDelegate::kRed), QColor(Qt::white));
        // Another row, not focused, has none.
        const QRect other = list->visualRect(list->model()->index(2, 0));
        QCOMPARE(image.pixelColor(other.right() - 3, other.top()), RunListDelegate::kListColour);
    }

    void openAndSaveThroughTheFileMenu()
    {
        QTemporaryDir folder;
        MainWindow window("");
        window.SetOpenFileChooser([](QWidget*) { return QString::fromStdString(kSample); });
        window.menuAction("OpenRead1")->trigger();
        QCOMPARE(ListTexts(window).size(), 8);
        QCOMPARE(window.label1()->text(), QString());

        const QString saved = folder.filePath("copy.DAT");
        window.SetSaveFileChooser([&](QWidget*) { return saved; });
        window.menuAction("SaveFile1")->trigger();
        QCOMPARE(ReadAll(saved), ReadAll(QString::fromStdString(kSample)));

        // A cancelled open changes nothing.
        window.SetOpenFileChooser([](QWidget*) { return QString(); });
        window.Button1Click();
        QCOMPARE(ListTexts(window).size(), 8);

        window.SetOpenFileChooser([&](QWidget*) { return folder.filePath("missing.DAT"); });
        window.Button1Click();
        QCOMPARE(window.label1()->text(), QStringLiteral("ERROR"));
        QCOMPARE(window.statusLabel()->text(), QStringLiteral("Ошибка при открытии файла"));
    }

    void grabsTheWindowForPeopleToLookAt()
    {
        MainWindow window(kSample);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // Selected as a user would, so the focused row (1) shows its rectangle too.
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QListView* list = window.runListView();
        list->setFocus();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(0, 0)).center());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualRect(list->model()->index(1, 0)).center());
        const QString path = QStringLiteral(VELMORA_SCREENSHOT_DIR "/main-window.png");
        QVERIFY(window.grab().save(path));
    }
};

VELMORA_WIDGET_TEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
