#include "griddelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>
#include <QTextOption>

namespace kit {

void GridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    constexpr auto kOther = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration;
    if ((opt.features & kOther) || (opt.state & (QStyle::State_HasFocus | QStyle::State_Editing))
        || !opt.showDecorationSelected) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();

    // The text as the style places it: the cell less the focus frame margin on both sides,
    // aligned vertically on the height of its line.
    QTextLayout layout;
    QTextLine line;
    QRect textRect;
    if (!opt.text.isEmpty()) {
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        textRect = opt.rect.adjusted(margin, 0, -margin, 0);
        QTextOption to;
        to.setWrapMode((opt.features & QStyleOptionViewItem::WrapText) ? QTextOption::WordWrap : QTextOption::ManualWrap);
        to.setTextDirection(opt.direction);
        to.setAlignment(QStyle::visualAlignment(opt.direction, opt.displayAlignment));
        layout.setText(opt.text);
        layout.setFont(opt.font);
        layout.setTextOption(to);
        layout.beginLayout();
        line = layout.createLine();
        bool single = line.isValid();
        if (single) {
            line.setLineWidth(textRect.width());
            line.setPosition(QPointF(0, 0));
            single = !layout.createLine().isValid();
        }
        layout.endLayout();
        // Text that must be wrapped, elided or spans lines is left to the style.
        if (!single || line.naturalTextWidth() > textRect.width() || line.height() > textRect.height()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
    }

    painter->save();
    painter->setClipRect(opt.rect);
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);
    if (line.isValid()) {
        QPalette::ColorGroup cg = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
        if (cg == QPalette::Normal && !(opt.state & QStyle::State_Active))
            cg = QPalette::Inactive;
        painter->setPen(opt.palette.color(cg, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText
                                                                                     : QPalette::Text));
        const QRect at = QStyle::alignedRect(Qt::LayoutDirectionAuto, opt.displayAlignment,
                                             layout.boundingRect().size().toSize(), textRect);
        layout.draw(painter, QPointF(textRect.x(), at.top()));
    }
    painter->restore();
}

} // namespace kit
