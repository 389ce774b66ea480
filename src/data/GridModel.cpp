#include "data/GridModel.h"

#include "data/FieldValue.h"

namespace tf {

GridModel::GridModel(DataSource *source, QList<GridColumn> columns, QObject *parent)
    : QAbstractTableModel(parent), m_source(source), m_columns(std::move(columns))
{
    resolveFields();
    connect(source, &DataSource::rowsAboutToReset, this, [this] { beginResetModel(); });
    connect(source, &DataSource::rowsReset, this, [this] {
        resolveFields();
        endResetModel();
    });
    connect(source, &DataSource::rowAboutToBeAppended, this, [this](int row) { beginInsertRows({}, row, row); });
    connect(source, &DataSource::rowAppended, this, [this](int) { endInsertRows(); });
    connect(source, &DataSource::rowAboutToBeRemoved, this, [this](int row) { beginRemoveRows({}, row, row); });
    connect(source, &DataSource::rowRemoved, this, [this](int) { endRemoveRows(); });
    connect(source, &DataSource::rowChanged, this, [this](int row) {
        if (row >= 0 && row < rowCount() && columnCount() > 0)
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
}

void GridModel::resolveFields()
{
    m_fieldIndex.clear();
    for (const GridColumn &c : m_columns)
        m_fieldIndex << (m_source ? m_source->fieldIndex(c.field) : -1);
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_source ? 0 : m_source->recordCount();
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QString GridModel::displayText(const QVariant &stored)
{
    return FieldValue::toDisplayText(stored);
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!m_source || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    bool read = false;
    const QVariant v = m_source->valueAt(index.row(), m_fieldIndex.value(index.column(), -1), &read);
    // A row the file cannot give shows nothing rather than blanks that look like
    // an empty trip; the data source reports why.
    if (!read)
        return {};
    return role == Qt::DisplayRole ? QVariant(displayText(v)) : v;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_columns.size() ? QVariant(m_columns[section].caption) : QVariant();
    return {};
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_editable && index.isValid())
        f |= Qt::ItemIsEditable;
    return f;
}

// Typing into the grid edits that row at once, as the row is left it is written.
bool GridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!m_editable || !m_source || role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return false;
    const int field = m_fieldIndex.value(index.column(), -1);
    if (field < 0)
        return false;
    if (m_source->currentRow() != index.row() && !m_source->moveTo(index.row()))
        return false;
    if (!m_source->edit() || !m_source->setValue(field, value) || !m_source->update()) {
        m_source->cancelUpdate();
        return false;
    }
    return true;
}

} // namespace tf
