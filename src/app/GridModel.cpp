// SPDX-License-Identifier: MIT
#include "GridModel.h"

#include "QtText.h"
#include "state/OpenBook.h"

namespace velmora::app {

GridModel::GridModel(OpenBook& state, QObject* parent)
    : QAbstractTableModel(parent), state_(state)
{
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : state_.grid().dataRowCount();
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ObservationGrid::kColumnCount;
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return FromCp1251(state_.GridCell(index.row() + 1, index.column()));
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return FromCp1251(ObservationGrid::Header(section));
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    state_.OnSetEditText(index.row() + 1, index.column(), ToCp1251(value.toString()));
    emit dataChanged(index, index);
    return true;
}

void GridModel::Reload()
{
    beginResetModel();
    endResetModel();
}

void GridModel::BeginEdit(const QModelIndex& index)
{
    if (index.isValid())
        state_.BeginCellEdit(index.row() + 1);
}

void GridModel::EndEdit()
{
    state_.EndCellEdit();
}

void GridModel::CancelEdit()
{
    state_.CancelCellEdit();
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

}  // namespace velmora::app

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace velmora::app {

QWidget* GridEditDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const
{
    QWidget* widget = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* model = qobject_cast<GridModel*>(const_cast<QAbstractItemModel*>(index.model())))
        model->BeginEdit(index);
    if (auto* editor = qobject_cast<QLineEdit*>(widget)) {
        // textEdited comes for the user's changes only, not for the text the editor opens with.
        connect(editor, &QLineEdit::textEdited, this, [this, editor] {
            emit const_cast<GridEditDelegate*>(this)->commitData(editor);
        });
    }
    return widget;
}

void GridEditDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    // The model reports every keystroke back; giving the editor its own text again would move
    // the cursor to the end while the user types in the middle.
    if (auto* lineEdit = qobject_cast<QLineEdit*>(editor)) {
        if (lineEdit->text() == index.data(Qt::EditRole).toString())
            return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void GridEditDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
    if (auto* model = qobject_cast<GridModel*>(const_cast<QAbstractItemModel*>(index.model())))
        model->EndEdit();
    QStyledItemDelegate::destroyEditor(editor, index);
}

bool GridEditDelegate::eventFilter(QObject* watched, QEvent* event)
{
    auto* editor = qobject_cast<QWidget*>(watched);
    if (editor && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        auto* view = editor->parentWidget()
                         ? qobject_cast<QAbstractItemView*>(editor->parentWidget()->parentWidget())
                         : nullptr;
        if (key->key() == Qt::Key_Escape && view) {
            // Every keystroke already went into the record and the journal: take them back.
            if (auto* model = qobject_cast<GridModel*>(view->model()))
                model->CancelEdit();
            emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
            return true;
        }
        if (tab && view && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            // Qt's own handling would open the next cell's editor: the grid keeps Tab to
            // itself only while no editor is open, and not at all here.
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            QKeyEvent again(QEvent::KeyPress, key->key(), key->modifiers());
            QCoreApplication::sendEvent(view, &again);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

}  // namespace velmora::app
