#include "dbgrid.h"

#include "platform/db/dataset.h"
#include "platform/db/datasetmodel.h"
#include "platform/db/decimal.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLocale>

TDBGrid::TDBGrid(db::DataSet *ds, const QStringList &fields, QWidget *parent) : QTableView(parent), m_ds(ds)
{
    m_model = new db::DataSetModel(ds, this);
    m_model->setColumns(fields);
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setVisible(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &TDBGrid::titleClicked);
    connect(ds, &db::DataSet::currentChanged, this, &TDBGrid::followDataSet);
    connect(ds, &db::DataSet::reset, this, &TDBGrid::followDataSet);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &cur) {
        if (m_syncing || !cur.isValid() || !m_ds->isOpen() || cur.row() == m_ds->recNo())
            return;
        m_ds->moveTo(cur.row());
    });
}

QAction *TDBGrid::addMenuEntry(const QString &text)
{
    auto *a = new QAction(text, this);
    addAction(a);
    return a;
}

void TDBGrid::followDataSet()
{
    m_syncing = true;
    const int row = m_ds->isOpen() ? m_ds->recNo() : -1;
    if (row >= 0 && row < m_model->rowCount()) {
        const int col = qMax(0, currentIndex().column());
        selectionModel()->setCurrentIndex(m_model->index(row, col),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        selectionModel()->clearSelection();
    }
    m_syncing = false;
}

QString formatNumber(const QVariant &v, int places, const QString &suffix)
{
    if (v.isNull() || !v.isValid())
        return QString();
    const QLocale german(QLocale::German, QLocale::Germany);
    QString text;
    if (v.canConvert<db::Decimal>() && v.userType() == qMetaTypeId<db::Decimal>()) {
        bool ok = false;
        const db::Decimal d = v.value<db::Decimal>().rescaled(places, &ok);
        text = ok ? d.toString(german) : german.toString(v.value<db::Decimal>().toDouble(), 'f', places);
    } else {
        text = german.toString(v.toDouble(), 'f', places);
    }
    return suffix.isEmpty() ? text : text + suffix;
}
