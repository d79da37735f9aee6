#include "platform/string_grid_model.h"

#include <QGuiApplication>
#include <QPalette>

StringGridModel::StringGridModel(StringGrid &grid, QObject *parent) : QAbstractTableModel(parent), m_grid(grid) {}

int StringGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_grid.rowCount();
}

int StringGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_grid.colCount();
}

bool StringGridModel::isFixed(const QModelIndex &index) const
{
    return index.row() < m_grid.fixedRows() || index.column() < m_grid.fixedCols();
}

QVariant StringGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_grid.cell(index.column(), index.row());
    case Qt::BackgroundRole:
        if (isFixed(index))
            return QGuiApplication::palette().button();
        return QVariant();
    default:
        return QVariant();
    }
}

bool StringGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    m_grid.setCell(index.column(), index.row(), value.toString());
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags StringGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (isFixed(index))
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void StringGridModel::reload()
{
    beginResetModel();
    endResetModel();
}
