// The list cell painter must draw exactly what the style's item drawing draws.
#include "kit/griddelegate.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>
#include <QStandardItemModel>
#include <QTableView>

namespace {

QImage render(QTableView &view)
{
    view.resize(420, 260);
    view.show();
    return view.grab().toImage();
}

} // namespace

TEST(GridDelegate, DrawsLikeTheStyle)
{
    QStandardItemModel model(8, 3);
    const char *texts[] = {"Müller", "Name000017 Müller; \"X\"", "12345", "", "Straße 17",
                           "ein sehr langer Text, der in der schmalen Spalte gekürzt werden muss",
                           "Zeile 1\nZeile 2", "Ärztin"};
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 3; ++c) {
            auto *item = new QStandardItem(QString::fromUtf8(texts[(r + c) % 8]));
            if (c == 2)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (r == 3 && c == 1)
                item->setTextAlignment(Qt::AlignLeft | Qt::AlignTop);
            model.setItem(r, c, item);
        }
    auto setUp = [&](QTableView &v) {
        v.setModel(&model);
        v.setAlternatingRowColors(true);
        v.setSelectionBehavior(QAbstractItemView::SelectRows);
        v.verticalHeader()->hide();
        v.verticalHeader()->setDefaultSectionSize(v.fontMetrics().height() + 6);
        v.selectRow(2);
    };
    QTableView plain, fast;
    setUp(plain);
    setUp(fast);
    fast.setItemDelegate(new kit::GridDelegate(&fast));
    const QImage a = render(plain), b = render(fast);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_TRUE(a == b);
}
