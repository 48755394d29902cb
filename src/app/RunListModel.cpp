// SPDX-License-Identifier: MIT
#include "RunListModel.h"

#include "QtText.h"
#include "state/OpenBook.h"
#include "state/WindowReasons.h"

#include <QKeyEvent>
#include <QPainter>

namespace velmora::app {

// The colours of the classic desktop the program was designed on.
const QColor RunListDelegate::kListColour(215, 228, 242);
const QColor RunListDelegate::kGreyTextColour(109, 109, 109);
const QColor RunListDelegate::kRed(255, 0, 0);
const QColor RunListDelegate::kFuchsia(255, 0, 255);

RunListModel::RunListModel(OpenBook& state, QObject* parent)
    : QAbstractListModel(parent), state_(state)
{
}

int RunListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(state_.runList().size());
}

QVariant RunListModel::data(const QModelIndex& index, int role) const
{
    const auto& entries = state_.runList().entries();
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= entries.size())
        return {};
    const std::string& text = entries[static_cast<std::size_t>(index.row())].text;
    switch (role) {
    case Qt::DisplayRole:
        return FromCp1251(text);
    case kMarkedRedRole:
        return IsMarkedRed(text);
    case Qt::ToolTipRole: {
        const std::string tip = RunEntryTip(state_, static_cast<std::size_t>(index.row()));
        return tip.empty() ? QVariant() : QVariant(FromCp1251(tip));
    }
    default:
        return {};
    }
}

void RunListModel::Reload()
{
    beginResetModel();
    endResetModel();
}

void RunListModel::TextsChanged()
{
    if (rowCount() > 0)
        emit dataChanged(index(0), index(rowCount() - 1));
}

void RunListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const bool red = index.data(RunListModel::kMarkedRedRole).toBool();
    QColor background;
    if (red)
        background = selected ? kFuchsia : kRed;
    else
        background = selected ? kGreyTextColour : kListColour;

    painter->save();
    painter->fillRect(option.rect, background);
    const QColor textColour = selected ? option.palette.color(QPalette::HighlightedText)
                                       : option.palette.color(QPalette::Text);
    painter->setPen(textColour);
    painter->setFont(option.font);
    const QRect textRect = option.rect.adjusted(1, 0, 0, 0);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());
    if (option.state & QStyle::State_HasFocus) {
        // The focused row gets a dotted rectangle whatever the style (some styles draw focus
        // only after keyboard navigation, which left Space and Shift+arrow acting on a row
        // nobody could see). The dots are black or white against the row's colour: the
        // inverse of the grey of a selected row is another grey.
        QPen dots(FocusColour(background));
        dots.setCosmetic(true);
        dots.setDashPattern({1.0, 1.0});
        painter->setPen(dots);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

QColor RunListDelegate::FocusColour(const QColor& background)
{
    // Relative luminance weights of sRGB; a light row takes black dots, a dark one white.
    const double luminance =
        0.2126 * background.redF() + 0.7152 * background.greenF() + 0.0722 * background.blueF();
    return luminance > 0.5 ? QColor(Qt::black) : QColor(Qt::white);
}

QSize RunListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), kRowHeight);
}

QItemSelectionModel::SelectionFlags RunListView::selectionCommand(const QModelIndex& index,
                                                                 const QEvent* event) const
{
    QItemSelectionModel::SelectionFlags command = QListView::selectionCommand(index, event);
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    if (event && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove))
        modifiers = static_cast<const QInputEvent*>(event)->modifiers();
    else if (event && event->type() == QEvent::KeyPress)
        modifiers = static_cast<const QInputEvent*>(event)->modifiers();
    // Qt extends only the range begun last and keeps what Ctrl+click picked before it; here
    // Shift alone starts over from the anchor, and only Ctrl+Shift keeps the rest.
    const bool shiftOnly = (modifiers & Qt::ShiftModifier) && !(modifiers & Qt::ControlModifier);
    if (shiftOnly && (command & QItemSelectionModel::Current) && (command & QItemSelectionModel::Select))
        command |= QItemSelectionModel::Clear;
    return command;
}

void RunListView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        // At the focused row, or at the list's corner when there is none.
        const QRect row = visualRect(currentIndex());
        const QPoint at = row.isValid() ? row.bottomLeft() : QPoint(0, 0);
        emit customContextMenuRequested(at);
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

}  // namespace velmora::app
