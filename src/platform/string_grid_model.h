#pragma once

#include "platform/string_grid.h"

#include <QAbstractTableModel>

// Shows a StringGrid in a Qt item view. Every cell of the grid is a cell of the view, the
// fixed rows and columns included (drawn as headers are in the program's grids); the view's
// own headers stay hidden. Edits in the view write into the grid.
class StringGridModel : public QAbstractTableModel
{
public:
    explicit StringGridModel(StringGrid &grid, QObject *parent = nullptr);

    StringGrid &grid() { return m_grid; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Tells attached views that the grid changed outside the model (counts or many cells).
    void reload();

private:
    bool isFixed(const QModelIndex &index) const;

    StringGrid &m_grid;
};
