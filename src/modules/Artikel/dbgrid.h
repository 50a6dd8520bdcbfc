#pragma once
// A data-aware grid for the article and material forms: a table view on a DataSet whose current
// row follows the dataset and moves it when the user picks a row. Column titles come from the
// fields' labels; a click on a title is reported with the column index.

#include <QStringList>
#include <QTableView>

namespace db { class DataSet; class DataSetModel; }

class TDBGrid : public QTableView
{
    Q_OBJECT
public:
    TDBGrid(db::DataSet *ds, const QStringList &fields, QWidget *parent = nullptr);

    db::DataSet *dataSet() const { return m_ds; }
    db::DataSetModel *dataModel() const { return m_model; }
    // Adds an entry to the grid's context menu.
    QAction *addMenuEntry(const QString &text);

signals:
    void titleClicked(int column);

private:
    void followDataSet();
    db::DataSet *m_ds;
    db::DataSetModel *m_model;
    bool m_syncing = false;
};

// Formats shared by the forms: "#0.00", "#0.000" and "#0.00 EUR" in German notation.
QString formatNumber(const QVariant &v, int places, const QString &suffix = QString());
