#pragma once
// Grid column fit: the free width of a grid is shared evenly among the columns whose field has a
// non-zero tag; each such column grows by that share and never becomes narrower than its tag.

#include "kitentry_global.h"

#include <QVector>

class QTableView;

namespace kit {

// free = clientWidth - sum(widths) - (columnLines ? count : 0) - (rowIndicator ? 11 : 0)
FD_KITENTRY_EXPORT QVector<int> FitColumnWidths(int clientWidth, const QVector<int> &widths, const QVector<int> &tags,
                                                bool columnLines, bool rowIndicator);

// Applies the fit to a grid showing a db::DataSetModel; the tags come from the dataset's field
// properties. Call it on every resize.
FD_KITENTRY_EXPORT void FitGridColumns(QTableView *grid);

} // namespace kit
