// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractTableModel>

namespace velmora {
class OpenBook;
}

namespace velmora::app {

/// The observation grid as a table: the view's row r is the grid's data row r + 1, and the
/// view's header is the grid's header row. Cells come from OpenBook on demand, so a
/// million rows cost no widget items.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(OpenBook& state, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    /// The grid was filled or reset.
    void Reload();

    /// An editor opens on `index`, closes with its text, or is cancelled: a cancelled edit
    /// gives the row, its record and the journal back as they were when the editor opened.
    void BeginEdit(const QModelIndex& index);
    void EndEdit();
    void CancelEdit();

private:
    OpenBook& state_;
};

}  // namespace velmora::app

#include <QStyledItemDelegate>

namespace velmora::app {

/// Edits a grid cell in a line editor that hands every change of its text to the model at
/// once (each typed or deleted character, paste, cut), and the text once more when it closes,
/// also when it closes because another control took the focus.
class GridEditDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

protected:
    /// Tab and Shift+Tab in an open editor close it with its text and move on to the next or
    /// previous control of the window, as they do from the grid itself. Escape closes it
    /// without its text: the cell shows what it held before, and nothing is recorded.
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace velmora::app
