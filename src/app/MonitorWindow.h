// SPDX-License-Identifier: MIT
#pragma once

#include "state/MonitorTool.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QFrame;
class QGridLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QScrollArea;
class QTableWidget;
class QVBoxLayout;

namespace velmora {
class OpenBook;
}

namespace velmora::app {

/// "Мониторинг осадок": a monitoring project beside the open book. "Открыть проект…" and
/// "Создать проект…" (MonitorProjectDialog); "Добавить цикл" stores the runs the tools work on
/// (the selected ones, all when none is) as a cycle of the day asked for, and shows its
/// benchmarks' test at once; "Удалить цикл" asks first. The settlement table: the points as
/// rows, per cycle H, the settlement since the previous and since the first cycle and the rate,
/// significant ones red, moved benchmarks marked, the pointer on a cell telling σ and the test;
/// the charts of settlement against time below it, the selected rows' highlighted.
/// "Сохранить ведомость…" and "Отчёт…" write the core's outputs and open them. The window only
/// reads the book.
class MonitorWindow : public QDialog {
    Q_OBJECT
public:
    MonitorWindow(OpenBook& book, const std::string& bookPath, QWidget* parent = nullptr);

    /// File choosers: given the proposed name, the chosen path or an empty text.
    using FileChooser = std::function<QString(QWidget* parent, const QString& proposed)>;
    void SetOpenProjectChooser(FileChooser chooser) { chooseOpen_ = std::move(chooser); }
    void SetNewProjectChooser(FileChooser chooser) { chooseNew_ = std::move(chooser); }
    void SetSheetChooser(FileChooser chooser) { chooseSheet_ = std::move(chooser); }
    void SetReportChooser(FileChooser chooser) { chooseReport_ = std::move(chooser); }
    /// The settings of a new project (MonitorProjectDialog by default); nothing when cancelled.
    void SetSettingsAsker(std::function<std::optional<NewProjectInput>()> asker) { askSettings_ = std::move(asker); }
    /// The day of a new cycle, given the proposed one ("YYYY-MM-DD"); empty when cancelled.
    void SetDateAsker(std::function<QString(const QString& proposed)> asker) { askDate_ = std::move(asker); }
    /// Yes/No questions (remove a cycle?); tests answer them instead.
    void SetQuestionAsker(std::function<bool(const QString&)> asker) { askQuestion_ = std::move(asker); }
    /// Shows a saved sheet or page (the desktop's handler by default).
    void SetFileOpener(std::function<void(const QString&)> opener) { openFile_ = std::move(opener); }

    void OpenProjectClick();    ///< "Открыть проект…"
    void CreateProjectClick();  ///< "Создать проект…"
    void AddCycleClick();       ///< "Добавить цикл"
    void RemoveCycleClick();    ///< "Удалить цикл": the cycle selected in the list
    void SaveSheetClick();      ///< "Сохранить ведомость…"
    void ReportClick();         ///< "Отчёт…"

    // Controls, for tests.
    QLabel* messageLabel() const { return message_; }
    QLabel* testLabel() const { return test_; }
    QListWidget* cycleList() const { return cycles_; }
    QTableWidget* settlementTable() const { return table_; }
    QPushButton* addCycleButton() const { return addCycle_; }
    QPushButton* removeCycleButton() const { return removeCycle_; }
    QPushButton* saveSheetButton() const { return saveSheet_; }
    QPushButton* reportButton() const { return report_; }
    /// The chart frames, one per table row; a selected row's frame is highlighted.
    const std::vector<QFrame*>& chartFrames() const { return charts_; }

    /// The table's columns per cycle: H, the settlement of the cycle, since the first, the rate.
    static constexpr int kColumnsPerCycle = 4;

private:
    void BuildMessage(QVBoxLayout* layout);
    void BuildProjectButtons(QVBoxLayout* layout);
    void BuildColumns(QVBoxLayout* layout);
    void BuildButtons(QVBoxLayout* layout);
    QPushButton* Button(const char* name, const std::string& text, const QKeySequence& key,
                        void (MonitorWindow::*click)());
    void ShowProject();
    void ShowTable(const std::vector<SettlementRow>& rows);
    void ShowCharts(const std::vector<SettlementRow>& rows);
    void HighlightSelected();
    void ShowCycleTest(int number);
    void ShowMessage(const QString& text);
    QString AskFile(const QString& proposed, bool save, const QStringList& filters);
    std::optional<NewProjectInput> AskSettings();
    QString AskDate(const QString& proposed);

    OpenBook& book_;
    std::string bookPath_;
    MonitorTool tool_;

    QLabel* message_ = nullptr;
    QLabel* test_ = nullptr;
    QListWidget* cycles_ = nullptr;
    QTableWidget* table_ = nullptr;
    QScrollArea* chartArea_ = nullptr;
    QGridLayout* chartGrid_ = nullptr;
    std::vector<QFrame*> charts_;
    QPushButton* addCycle_ = nullptr;
    QPushButton* removeCycle_ = nullptr;
    QPushButton* saveSheet_ = nullptr;
    QPushButton* report_ = nullptr;

    FileChooser chooseOpen_;
    FileChooser chooseNew_;
    FileChooser chooseSheet_;
    FileChooser chooseReport_;
    std::function<std::optional<NewProjectInput>()> askSettings_;
    std::function<QString(const QString&)> askDate_;
    std::function<bool(const QString&)> askQuestion_;
    std::function<void(const QString&)> openFile_;
};

}  // namespace velmora::app
