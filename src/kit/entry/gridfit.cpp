#include "gridfit.h"

#include "platform/db/dataset.h"
#include "platform/db/datasetmodel.h"

#include <QHeaderView>
#include <QTableView>

namespace kit {

QVector<int> FitColumnWidths(int clientWidth, const QVector<int> &widths, const QVector<int> &tags, bool columnLines,
                             bool rowIndicator)
{
    QVector<int> out = widths;
    int used = 0;
    for (int w : widths)
        used += w;
    int free = clientWidth - used - (columnLines ? int(widths.size()) : 0) - (rowIndicator ? 11 : 0);
    int growing = 0;
    for (int i = 0; i < widths.size(); ++i)
        if (tags.value(i) != 0)
            ++growing;
    if (growing == 0)
        return out;
    const int share = free / growing;
    for (int i = 0; i < widths.size(); ++i) {
        const int tag = tags.value(i);
        if (tag == 0)
            continue;
        out[i] = std::max(widths[i] + share, tag);
    }
    return out;
}

void FitGridColumns(QTableView *grid)
{
    auto *model = qobject_cast<db::DataSetModel *>(grid->model());
    if (!model || !model->dataSet())
        return;
    db::DataSet *ds = model->dataSet();
    QVector<int> widths, tags;
    for (int c = 0; c < model->columnCount(); ++c) {
        widths << grid->columnWidth(c);
        const int fi = ds->fieldIndex(model->columnField(c));
        const db::FieldProps *p = fi >= 0 ? ds->fieldProps(fi) : nullptr;
        tags << (p ? p->tag : 0);
    }
    // The viewport already leaves out the row header, and Qt's column widths include their lines.
    const QVector<int> fitted = FitColumnWidths(grid->viewport()->width(), widths, tags, false, false);
    for (int c = 0; c < fitted.size(); ++c)
        if (fitted[c] != widths[c])
            grid->setColumnWidth(c, fitted[c]);
}

} // namespace kit
