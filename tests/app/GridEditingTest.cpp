// SPDX-License-Identifier: MIT
// Editing readings in the grid through the real widgets: every change of the edited text is
// journalled at once, and once more when the editor closes, before the action of the control
// that took the focus.

#include "MainWindow.h"
#include "WidgetTestMain.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;
using namespace velmora::app;

namespace {

const std::string kSample = VELMORA_SAMPLES_DIR "/levelling_m5.DAT";

std::vector<JournalEntry> CellEdits(const MainWindow& window)
{
    std::vector<JournalEntry> edits;
    for (const auto& entry : const_cast<MainWindow&>(window).state().journal().entries()) {
        if (entry.isCellEdit())
            edits.push_back(entry);
    }
    return edits;
}

}  // namespace

class GridEditingTest : public QObject {
    Q_OBJECT

    // The window with run 1 selected, its grid's reading cell of row 2 open for editing.
    std::unique_ptr<MainWindow> OpenEditor(QLineEdit*& editor)
    {
        auto window = std::make_unique<MainWindow>(kSample);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            return nullptr;
        window->runListView()->selectionModel()->select(
            window->runListView()->model()->index(0, 0), QItemSelectionModel::Select);
        QTableView* grid = window->gridView();
        grid->setFocus();
        const QModelIndex cell = grid->model()->index(1, 2);
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        return window;
    }

private slots:
    void everyKeystrokeAndTheCloseAreJournalled()
    {
        QLineEdit* editor = nullptr;
        auto window = OpenEditor(editor);
        QVERIFY(window);
        QVERIFY(editor);
        editor->clear();
        QTest::keyClicks(editor, "1.23");
        std::vector<JournalEntry> edits = CellEdits(*window);
        QCOMPARE(edits.size(), std::size_t(4));
        const char* typed[] = {"1", "1.", "1.2", "1.23"};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(edits[i].kind, 2);
            QCOMPARE(edits[i].cells[0], std::string("TP1"));  // the whole row each time
            QCOMPARE(edits[i].cells[1], std::string("Rf"));
            QCOMPARE(edits[i].cells[2], std::string(typed[i]));
            QCOMPARE(edits[i].cells[3], std::string("23.870"));
        }
        QTest::keyClick(editor, Qt::Key_Return);  // the editor closes on the next event round
        QTRY_COMPARE(CellEdits(*window).size(), std::size_t(5));
        edits = CellEdits(*window);
        QCOMPARE(edits[4].cells[2], std::string("1.23"));
        QCOMPARE(window->state().records()[4].reading(), std::string_view("1.23"));
    }

    // A DiNi book is saved as read: after an edit the status bar says the file lacks it.
    void savingAnEditedReadingSaysInTheStatusBarThatTheFileLacksIt()
    {
        QLineEdit* editor = nullptr;
        auto window = OpenEditor(editor);
        QVERIFY(window && editor);
        editor->clear();
        QTest::keyClicks(editor, "1.23");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(CellEdits(*window).size(), std::size_t(5));
        QTemporaryDir folder;
        const QString saved = folder.filePath(QStringLiteral("saved.DAT"));
        window->SetSaveFileChooser([&](QWidget*) { return saved; });
        window->Button5Click();
        QVERIFY(QFile::exists(saved));
        QCOMPARE(window->statusLabel()->text(),
                 QStringLiteral("Сохранено без правок таблицы: строки DiNi пишутся как прочитаны, правки есть только в "
                                "журнале и экспорте."));
    }

    void backWhileEditingFirstClosesTheEditorThenUndoesThatClose()
    {
        QLineEdit* editor = nullptr;
        auto window = OpenEditor(editor);
        QVERIFY(window && editor);
        editor->clear();
        QTest::keyClicks(editor, "2.5 ");
        const std::size_t before = window->state().journal().entries().size();
        QTest::mouseClick(window->button(7), Qt::LeftButton);
        // The close entry came first; Back then undid it, so the reading typed stays.
        QCOMPARE(window->state().journal().entries().size(), before + 1);
        QCOMPARE(window->state().journal().position(), before);
        QCOMPARE(window->state().records()[4].reading(), std::string_view("2.5"));
        QCOMPARE(window->gridView()->model()->index(1, 2).data().toString(), QStringLiteral("2.5"));

        // Forward in the same situation does nothing: the new entry is the last one.
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        window->gridView()->setFocus();
        window->gridView()->edit(window->gridView()->model()->index(1, 2));
        editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->end(false);  // the editor opens with its text selected; type after it
        QTest::keyClicks(editor, "1");
        QTest::mouseClick(window->button(6), Qt::LeftButton);
        const auto& journal = window->state().journal();
        QCOMPARE(journal.position(), journal.entries().size());
        QCOMPARE(window->state().records()[4].reading(), std::string_view("2.51"));
    }

    // Escape gives up the edit: the cell shows its text from before, the record keeps its
    // reading, and the journal is as it was, though every keystroke had gone into both.
    void escapeRestoresTheCellAndRecordsNothing()
    {
        QLineEdit* editor = nullptr;
        auto window = OpenEditor(editor);
        QVERIFY(window && editor);
        const std::vector<JournalEntry> before = window->state().journal().entries();
        const QString shown = window->gridView()->model()->index(1, 2).data().toString();
        editor->clear();
        QTest::keyClicks(editor, "9.9");
        QCOMPARE(window->state().records()[4].reading(), std::string_view("9.9"));
        QTest::keyClick(editor, Qt::Key_Escape);
        QTRY_VERIFY(window->gridView()->findChild<QLineEdit*>() == nullptr ||
                    !window->gridView()->findChild<QLineEdit*>()->isVisible());
        QCOMPARE(window->gridView()->model()->index(1, 2).data().toString(), shown);
        QCOMPARE(window->state().records()[4].reading(), std::string_view("0.98764"));
        QCOMPARE(window->state().journal().entries().size(), before.size());
        QCOMPARE(window->state().journal().position(), before.size());

        // An edit closed with Return afterwards is recorded as usual.
        window->gridView()->edit(window->gridView()->model()->index(1, 2));
        editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->clear();
        QTest::keyClicks(editor, "1");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(CellEdits(*window).size(), std::size_t(2));
        QCOMPARE(window->state().records()[4].reading(), std::string_view("1"));
    }

    void clickingTheListWhileEditingCommitsBeforeTheSelectionChanges()
    {
        QLineEdit* editor = nullptr;
        auto window = OpenEditor(editor);
        QVERIFY(window && editor);
        editor->clear();
        QTest::keyClicks(editor, "9");
        QListView* list = window->runListView();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(2, 0)).center());
        const auto& entries = window->state().journal().entries();
        QVERIFY(entries.size() >= 3);
        QVERIFY(entries[entries.size() - 2].isCellEdit());  // the close
        QVERIFY(entries.back().isListState());             // then the click
        QCOMPARE(window->state().records()[4].reading(), std::string_view("9"));
    }
};

VELMORA_WIDGET_TEST_MAIN(GridEditingTest)
#include "GridEditingTest.moc"
