#pragma once
// A DataSet as a table model for grids. Rows arrive as the view asks for them (canFetchMore /
// fetchMore), so a long list shows at once.

#include "db_global.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

namespace db {

class DataSet;

class FD_DB_EXPORT DataSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit DataSetModel(DataSet *ds, QObject *parent = nullptr);

    // The fields shown, in order; empty shows every visible field.
    void setColumns(const QStringList &fields);
    QString columnField(int column) const;
    int columnIndexOf(const QString &field) const;
    DataSet *dataSet() const { return m_ds; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    void rebuildColumns();
    QPointer<DataSet> m_ds;
    QStringList m_wanted;
    QVector<int> m_cols;
    bool m_inReset = false;
};

} // namespace db
