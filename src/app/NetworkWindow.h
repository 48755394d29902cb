// SPDX-License-Identifier: MIT
#pragma once

#include "runs/ToleranceClass.h"
#include "state/NetworkTool.h"

#include <QDialog>

#include <functional>
#include <string>

class QHBoxLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;
class QVBoxLayout;

namespace velmora {
class OpenBook;
}

namespace velmora::app {

/// "Уравнивание сети": the network of the runs the tools work on (the selected ones, all when
/// none is). The nodes with a check box "исходный" and a height for each fixed point; heights
/// from a file; "Уравнять" shows the heights, σ₀, the degrees of freedom, the global test, the
/// sections (flagged ones red) and the warnings; "Сохранить…" writes the workbook or the CSV
/// catalogue and opens it. The window only reads the book.
class NetworkWindow : public QDialog {
    Q_OBJECT
public:
    NetworkWindow(OpenBook& book, const std::string& bookPath, QWidget* parent = nullptr);

    /// File choosers: given the proposed name, the chosen path or an empty text.
    using FileChooser = std::function<QString(QWidget* parent, const QString& proposed)>;
    void SetHeightsFileChooser(FileChooser chooser) { chooseHeights_ = std::move(chooser); }
    void SetSaveFileChooser(FileChooser chooser) { chooseSave_ = std::move(chooser); }
    /// Shows a saved workbook or catalogue (the desktop's handler by default).
    void SetFileOpener(std::function<void(const QString&)> opener) { openFile_ = std::move(opener); }

    /// Ticks "исходный" of `point` (UTF-8) and types its height, as the user would.
    bool FixPoint(const QString& point, const QString& heightText);

    void HeightsFileClick();  ///< "Высоты из файла…"
    void AdjustClick();       ///< "Уравнять"
    void SaveClick();         ///< "Сохранить…"

    // Controls, for tests.
    QTableWidget* nodeTable() const { return nodes_; }
    QTableWidget* catalogueTable() const { return catalogue_; }
    QTableWidget* sectionTable() const { return sections_; }
    QLabel* summaryLabel() const { return summary_; }
    QLabel* messageLabel() const { return message_; }
    QListWidget* warningList() const { return warnings_; }
    QPushButton* adjustButton() const { return adjust_; }
    QPushButton* saveButton() const { return save_; }

private:
    void BuildMessage(QVBoxLayout* layout);       ///< the red line above everything
    void BuildNodeColumn(QHBoxLayout* columns);   ///< nodes, heights from a file, σ, "Уравнять"
    void BuildResultColumn(QHBoxLayout* columns); ///< catalogue, summary, sections, warnings
    void BuildButtons(QVBoxLayout* layout);       ///< "Сохранить…" and "Закрыть"
    /// The network of the runs the tools work on, or why there is none.
    void ReadNetwork(const OpenBook& book);
    void BuildNodeTable(QWidget* parent);
    void ShowNodes(const std::vector<NodeChoice>& rows);
    std::vector<NodeChoice> TypedNodes() const;
    void ShowResults();
    void ShowMessage(const QString& text);
    QString AskFile(const QString& proposed, bool save);

    NetworkTool tool_;
    std::string bookPath_;
    ToleranceClass toleranceClass_ = kStartClass;
    bool adjusted_ = false;
    NetworkAdjustment result_;

    QTableWidget* nodes_ = nullptr;
    QTableWidget* catalogue_ = nullptr;
    QTableWidget* sections_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* message_ = nullptr;
    QListWidget* warnings_ = nullptr;
    QPushButton* heightsFile_ = nullptr;
    QPushButton* adjust_ = nullptr;
    QPushButton* save_ = nullptr;
    FileChooser chooseHeights_;
    FileChooser chooseSave_;
    std::function<void(const QString&)> openFile_;
};

}  // namespace velmora::app
