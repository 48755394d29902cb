// SPDX-License-Identifier: MIT
#pragma once

#include "state/MainWindowState.h"

#include <QMainWindow>
#include <QMessageBox>

#include <functional>
#include <optional>
#include <string>

class QAction;
class QDialog;
class QFrame;
class QItemSelection;
class QLabel;
class QListView;
class QMenu;
class QPushButton;
class QStatusBar;
class QTableView;

namespace velmora::app {

class GridModel;
class HelpWindow;
class AboutWindow;
class NewHeightDialog;
class RunListModel;

/// The main window: the run list on the left, the observation grid on the right, the buttons
/// and menus above. It shows MainWindowState and forwards every user action to it.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    /// When the window reads its start file.
    enum class StartReading {
        /// In the constructor: the window shows the file's runs as soon as it exists.
        InConstructor,
        /// Right after the window has been painted for the first time, with the busy cursor
        /// from the moment it appears: a large book's reading does not keep the window from
        /// appearing. Mouse and keys are held back until the book is read.
        WhenShown,
    };

    /// Creates the window and opens `startFile` (the first command-line argument, empty when
    /// there is none) as the program's start does.
    explicit MainWindow(const std::string& startFile,
                        StartReading when = StartReading::InConstructor, QWidget* parent = nullptr);
    ~MainWindow() override;

    /// The windows created after this one at start; shown from the menus and Button3.
    void SetCompanions(NewHeightDialog* newHeight, HelpWindow* help, AboutWindow* about);

    MainWindowState& state() { return state_; }

    // Handlers, named after their controls; public so tests can drive them.
    void Button1Click();  ///< "Открыть и считать файл"
    void Button5Click();  ///< "Сохранить в файл"
    void Button3Click();  ///< ">> В Excel >>"
    void Button2Click();  ///< "Показать всё"
    void Button4Click();  ///< "Убрать всё"
    void Button7Click();  ///< Back
    void Button6Click();  ///< Forward
    void N1Click();       ///< "Удалить"
    void ChooseClass(ToleranceClass toleranceClass);
    void info1Click();
    void Info2Click();
    void CheckStationsClick();  ///< Tools › "&Check stations…"
    void AdjustNetworkClick();  ///< Tools › "&Adjust network…"
    void SettlementMonitoringClick();  ///< Tools › "&Settlement monitoring…"

    /// Called with each tool window before it is shown; tests set its file choosers there.
    void SetToolWindowHook(std::function<void(QDialog*)> hook) { prepareToolWindow_ = std::move(hook); }

    /// The file chooser of the open and save commands; tests replace them.
    using FileChooser = std::function<QString(QWidget* parent)>;
    void SetOpenFileChooser(FileChooser chooser) { chooseOpenFile_ = std::move(chooser); }
    void SetSaveFileChooser(FileChooser chooser) { chooseSaveFile_ = std::move(chooser); }

    /// The file chooser of the export: given the proposed name, the chosen workbook path or
    /// an empty text when the user cancels.
    using ExportFileChooser = std::function<QString(QWidget* parent, const QString& proposed)>;
    void SetExportFileChooser(ExportFileChooser chooser) { chooseExportFile_ = std::move(chooser); }
    /// Shows a saved workbook (the desktop's spreadsheet program by default).
    void SetWorkbookOpener(std::function<void(const QString&)> opener) { openWorkbook_ = std::move(opener); }
    /// Message boxes of the export and the save; tests collect them instead.
    void SetMessageSink(std::function<void(const QString&)> sink) { showMessage_ = std::move(sink); }
    /// The same with each box's icon.
    void SetMessageSink(std::function<void(const QString&, QMessageBox::Icon)> sink)
    {
        showMessageWithIcon_ = std::move(sink);
    }
    /// Yes/No questions (replace an existing file?); tests answer them instead.
    void SetQuestionAsker(std::function<bool(const QString&)> asker) { askQuestion_ = std::move(asker); }


    // Controls, for tests.
    QListView* runListView() const { return listBox1_; }
    QTableView* gridView() const { return stringGrid1_; }
    QLabel* label1() const { return label1_; }
    QLabel* label2() const { return label2_; }
    QLabel* statusLabel() const { return statusText_; }
    QMenu* popupMenu() const { return popupMenu1_; }
    QPushButton* button(int number) const;
    QAction* menuAction(const QString& objectName) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The controls, built in the order the window stacks them.
    void BuildControls();
    void BuildButtons();
    QFrame* MakePanel(const char* name, QRect geometry);
    void BuildRunList();
    void BuildGrid();
    void BuildStatusBarAndLabel1();
    void BuildPopupMenu();
    void BuildMenus();
    QString AskOpenFile();
    QString AskSaveFile();
    QString AskExportFileName(const QString& proposed);
    /// The export's save dialog until the name chosen may take the workbook: a refused name is
    /// said why and the dialog comes again, and an existing file is replaced only when the user
    /// agrees. Empty when the user cancels.
    QString ChooseExportTarget(QString proposed);
    void ShowMessage(const QString& text, QMessageBox::Icon icon = QMessageBox::Information);

    void ReadStartFile(const std::string& startFile);
    void ReadPendingStartFile();

    void OnListSelectionChanged();
    void ShowLabels();
    void ShowRunList(bool entriesReplaced);
    void ShowToolsAvailability();
    void ShowGrid();
    /// Labels, a new run list and the grid: after a load, Back or Forward rebuilt the state.
    void ShowRebuiltState();

    MainWindowState state_;

    QWidget* client_ = nullptr;
    QPushButton* buttons_[8] = {};
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    QFrame* controlBar1_ = nullptr;
    QFrame* controlBar2_ = nullptr;
    QFrame* controlBar3_ = nullptr;
    QListView* listBox1_ = nullptr;
    // The list's viewport, kept for the event filter: while the list is being destroyed its
    // events still arrive, and it can no longer be asked for its viewport then.
    QWidget* listViewport_ = nullptr;
    QTableView* stringGrid1_ = nullptr;
    QStatusBar* statusBar1_ = nullptr;
    QLabel* statusText_ = nullptr;
    QMenu* popupMenu1_ = nullptr;
    RunListModel* runListModel_ = nullptr;
    GridModel* gridModel_ = nullptr;

    NewHeightDialog* form2_ = nullptr;
    HelpWindow* form3_ = nullptr;
    AboutWindow* info_ = nullptr;

    FileChooser chooseOpenFile_;
    FileChooser chooseSaveFile_;
    ExportFileChooser chooseExportFile_;
    std::function<void(const QString&)> openWorkbook_;
    std::function<void(const QString&)> showMessage_;
    std::function<void(QDialog*)> prepareToolWindow_;
    std::function<void(const QString&, QMessageBox::Icon)> showMessageWithIcon_;
    std::function<bool(const QString&)> askQuestion_;
    bool showingState_ = false;  // selection set by the program, not by the user
    // The start file while it waits for the window's first paint (StartReading::WhenShown).
    std::optional<std::string> pendingStartFile_;
    bool startReadingQueued_ = false;
};

}  // namespace velmora::app
