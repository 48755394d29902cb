#include "GridModel.h"

#include "QtText.h"
#include "state/MainWindowState.h"

namespace velmora::app {

GridModel::GridModel(MainWindowState& state, QObject* parent)
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

}  // namespace velmora::app
