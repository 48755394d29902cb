#include "RunListModel.h"

#include "QtText.h"
#include "state/MainWindowState.h"

#include <QApplication>
#include <QPainter>

namespace velmora::app {

// The colours of the classic desktop the program was designed on.
const QColor RunListDelegate::kListColour(215, 228, 242);
const QColor RunListDelegate::kGreyTextColour(109, 109, 109);
const QColor RunListDelegate::kRed(255, 0, 0);
const QColor RunListDelegate::kFuchsia(255, 0, 255);

RunListModel::RunListModel(const MainWindowState& state, QObject* parent)
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
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor = background;
        QApplication::style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter);
    }
    painter->restore();
}

QSize RunListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), kRowHeight);
}

}  // namespace velmora::app
