#pragma once

// The rows of a data source as a table for a grid: one column per caption and
// field. Rows are read on demand, so a grid over a large table stays quick.

#include "data/DataSource.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <functional>

namespace tf {

struct GridColumn
{
    QString caption;
    QString field;
};

class GridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    GridModel(DataSource *source, QList<GridColumn> columns, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // Grids that accept typing in browse state write what was typed to the row.
    void setEditable(bool editable) { m_editable = editable; }
    bool isEditable() const { return m_editable; }

    DataSource *source() const { return m_source; }
    const QList<GridColumn> &columns() const { return m_columns; }

    // How a stored value is shown in the grid (dates in the user's short form).
    static QString displayText(const QVariant &stored);

private:
    QPointer<DataSource> m_source;
    QList<GridColumn> m_columns;
    QList<int> m_fieldIndex;
    bool m_editable = false;
    void resolveFields();
};

} // namespace tf
