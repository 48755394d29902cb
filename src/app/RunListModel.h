// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QStyledItemDelegate>

namespace velmora {
class OpenBook;
}

namespace velmora::app {

/// The run list's entries as the list view shows them; the texts and the selection live in
/// OpenBook. An entry's tooltip says why its run cannot be read, or how its sums compare with
/// the instrument's own.
class RunListModel : public QAbstractListModel {
    Q_OBJECT
public:
    /// True when the entry is drawn red (its text ends in a blank).
    static constexpr int kMarkedRedRole = Qt::UserRole + 1;

    explicit RunListModel(OpenBook& state, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    /// The entries were replaced (load, delete, replay).
    void Reload();
    /// The entries kept their number but their texts may have changed (class switch).
    void TextsChanged();

private:
    OpenBook& state_;  // not const: a tooltip reads the runs as the records stand now
};

/// Draws a run-list row: an entry above tolerance on red (fuchsia when selected), the others on
/// the list colour (the grey-text colour when selected), always across the whole row.
class RunListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    /// Rows of the list are 13 pixels high.
    static constexpr int kRowHeight = 13;
    static const QColor kListColour;      ///< background of the list and of plain rows
    static const QColor kGreyTextColour;  ///< a plain row when selected
    static const QColor kRed;
    static const QColor kFuchsia;

    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    /// The colour of the dotted focus rectangle on a row of `background`: black or white,
    /// whichever stands out more.
    static QColor FocusColour(const QColor& background);
};

/// The run list's view: the extended selection of a classic desktop list. Shift+click (and
/// Shift with the arrow keys) selects the range from the anchor to the row and nothing else;
/// Ctrl+Shift+click adds that range to the rows already selected. Shift+F10 opens the pop-up
/// menu as the Menu key does.
class RunListView : public QListView {
    Q_OBJECT
public:
    using QListView::QListView;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace velmora::app
