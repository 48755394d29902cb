// SPDX-License-Identifier: MIT
#include "RunListModel.h"

#include "QtText.h"
#include "state/OpenBook.h"

#include <QPainter>

namespace velmora::app {

// The colours of the classic desktop the program was designed on.
const QColor RunListDelegate::kListColour(215, 228, 242);
const QColor RunListDelegate::kGreyTextColour(109, 109, 109);
const QColor RunListDelegate::kRed(255, 0, 0);
const QColor RunListDelegate::kFuchsia(255, 0, 255);

RunListModel::RunListModel(const OpenBook& state, QObject* parent)
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
        // nobody could see). The dots take the inverse of the row's colour, as on a classic
        // desktop.
        QPen dots(QColor(255 - background.red(), 255 - background.green(), 255 - background.blue()));
        dots.setCosmetic(true);
        dots.setDashPattern({1.0, 1.0});
        painter->setPen(dots);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

QSize RunListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), kRowHeight);
}

}  // namespace velmora::app
