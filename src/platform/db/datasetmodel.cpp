#include "datasetmodel.h"

#include "dataset.h"
#include "decimal.h"

namespace db {

DataSetModel::DataSetModel(DataSet *ds, QObject *parent) : QAbstractTableModel(parent), m_ds(ds)
{
    connect(ds, &DataSet::aboutToReset, this, [this] {
        if (!m_inReset) {
            m_inReset = true;
            beginResetModel();
        }
    });
    connect(ds, &DataSet::reset, this, [this] {
        rebuildColumns();
        if (m_inReset) {
            m_inReset = false;
            endResetModel();
        }
    });
    connect(ds, &DataSet::aboutToAppendRows, this, [this](int first, int last) {
        if (!m_inReset)
            beginInsertRows(QModelIndex(), first, last);
    });
    connect(ds, &DataSet::rowsAppended, this, [this] {
        if (!m_inReset)
            endInsertRows();
    });
    connect(ds, &DataSet::aboutToInsertRow, this, [this](int row) { beginInsertRows(QModelIndex(), row, row); });
    connect(ds, &DataSet::rowInserted, this, [this](int) { endInsertRows(); });
    connect(ds, &DataSet::aboutToRemoveRow, this, [this](int row) { beginRemoveRows(QModelIndex(), row, row); });
    connect(ds, &DataSet::rowRemoved, this, [this](int) { endRemoveRows(); });
    connect(ds, &DataSet::rowChanged, this, [this](int row) {
        if (row >= 0 && !m_cols.isEmpty())
            emit dataChanged(index(row, 0), index(row, int(m_cols.size()) - 1));
    });
    rebuildColumns();
}

void DataSetModel::setColumns(const QStringList &fields)
{
    beginResetModel();
    m_wanted = fields;
    rebuildColumns();
    endResetModel();
}

void DataSetModel::rebuildColumns()
{
    m_cols.clear();
    if (!m_ds)
        return;
    if (m_wanted.isEmpty()) {
        for (int i = 0; i < m_ds->fieldCount(); ++i) {
            const FieldProps *p = m_ds->fieldProps(i);
            if (!p || p->visible)
                m_cols << i;
        }
    } else {
        for (const QString &f : m_wanted) {
            const int i = m_ds->fieldIndex(f);
            if (i >= 0)
                m_cols << i;
        }
    }
}

QString DataSetModel::columnField(int column) const
{
    if (!m_ds || column < 0 || column >= m_cols.size())
        return QString();
    return m_ds->columns().at(m_cols[column]).name;
}

int DataSetModel::columnIndexOf(const QString &field) const
{
    for (int c = 0; c < m_cols.size(); ++c)
        if (columnField(c).compare(field, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

int DataSetModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_ds)
        return 0;
    return m_ds->recordCount();
}

int DataSetModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_cols.size();
}

QVariant DataSetModel::data(const QModelIndex &index, int role) const
{
    if (!m_ds || !index.isValid() || index.column() >= m_cols.size())
        return QVariant();
    const int col = m_cols[index.column()];
    if (role == Qt::DisplayRole)
        return m_ds->rowDisplayText(index.row(), col);
    if (role == Qt::EditRole)
        return m_ds->rowValue(index.row(), col);
    if (role == Qt::TextAlignmentRole) {
        const ColumnInfo &c = m_ds->columns().at(col);
        if ((c.isInteger() || c.isDecimal()) && !m_ds->fieldProps(col))
            return int(Qt::AlignRight | Qt::AlignVCenter);
    }
    return QVariant();
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || !m_ds)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section < 0 || section >= m_cols.size())
        return QVariant();
    const int col = m_cols[section];
    const FieldProps *p = m_ds->fieldProps(col);
    if (p && !p->label.isEmpty())
        return p->label;
    return m_ds->columns().at(col).name;
}

bool DataSetModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_ds && m_ds->isOpen() && !m_ds->allFetched();
}

void DataSetModel::fetchMore(const QModelIndex &parent)
{
    if (canFetchMore(parent))
        m_ds->fetchMore();
}

} // namespace db
