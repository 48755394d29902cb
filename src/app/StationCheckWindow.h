// SPDX-License-Identifier: MIT
#pragma once

#include "state/StationCheck.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

class QListWidget;
class QPushButton;
class QTableWidget;

namespace velmora {
class OpenBook;
}

namespace velmora::app {

/// "Контроль станций": the station check of the runs the tools work on (the selected ones, all
/// when none is), at the class in force: per run its figures, fh against fh доп, the
/// instrument's own figures, the sections levelled twice with a pair above its limit in red,
/// and the findings grouped by check, in red. "Отчёт…" saves the
/// report page and opens it. The window only reads the book.
class StationCheckWindow : public QDialog {
    Q_OBJECT
public:
    /// `bookPath`: the open field book, for the report's proposed name and its title.
    StationCheckWindow(OpenBook& book, const std::string& bookPath, QWidget* parent = nullptr);
    ~StationCheckWindow() override;

    /// The report's file chooser: given the proposed name, the chosen path or an empty text.
    using FileChooser = std::function<QString(QWidget* parent, const QString& proposed)>;
    void SetReportFileChooser(FileChooser chooser) { chooseReport_ = std::move(chooser); }
    /// Shows a saved report (the desktop's handler for the file by default).
    void SetFileOpener(std::function<void(const QString&)> opener) { openFile_ = std::move(opener); }
    /// Message boxes; tests collect them instead.
    void SetMessageSink(std::function<void(const QString&)> sink) { showMessage_ = std::move(sink); }

    /// "Отчёт…"
    void ReportClick();

    // Controls, for tests.
    QTableWidget* runTable() const { return runs_; }
    /// The sections levelled twice; hidden when the runs level none.
    QTableWidget* sectionTable() const { return sections_; }
    QListWidget* findingList() const { return findings_; }
    QPushButton* reportButton() const { return report_; }

private:
    void Fill();
    /// The table of the runs, empty, with its headings.
    QTableWidget* MakeRunsTable();
    /// The table of the pairs of levellings of sections, filled, red where d is above its limit.
    QTableWidget* MakeSectionsTable();
    QString AskReportFile(const QString& proposed);

    std::unique_ptr<StationCheck> check_;
    std::string bookPath_;
    QTableWidget* runs_ = nullptr;
    QTableWidget* sections_ = nullptr;
    QListWidget* findings_ = nullptr;
    QPushButton* report_ = nullptr;
    FileChooser chooseReport_;
    std::function<void(const QString&)> openFile_;
    std::function<void(const QString&)> showMessage_;
};

}  // namespace velmora::app
