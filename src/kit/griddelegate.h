#pragma once
// The cell painter of the register lists. A cell of one line of plain text that fits its column is
// laid out once and drawn with the style's own background, pen and margins; everything else
// (icons, check boxes, wrapped or elided text, the focused cell) goes through the style's full
// item drawing, which lays the text out four times per cell.

#include <QStyledItemDelegate>

namespace kit {

class GridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

} // namespace kit
