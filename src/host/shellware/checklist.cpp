#include "checklist.h"

TCheckList::TCheckList(QWidget *parent) : QListWidget(parent)
{
    connect(this, &QListWidget::itemChanged, this, [this](QListWidgetItem *it) {
        emit checkChanged(row(it), it->checkState() == Qt::Checked);
    });
}

void TCheckList::setItems(const TStrings &items)
{
    const QSignalBlocker b(this);
    clear();
    for (int i = 0; i < items.Count(); ++i) {
        auto *it = new QListWidgetItem(items.Strings(i), this);
        it->setData(Qt::UserRole, items.Objects(i));
        it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        it->setCheckState(Qt::Unchecked);
    }
}

bool TCheckList::Checked(int i) const
{
    const QListWidgetItem *it = item(i);
    return it && it->checkState() == Qt::Checked;
}

void TCheckList::SetChecked(int i, bool on)
{
    if (QListWidgetItem *it = item(i))
        it->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

qint64 TCheckList::Objects(int i) const
{
    const QListWidgetItem *it = item(i);
    return it ? it->data(Qt::UserRole).toLongLong() : 0;
}

QList<qint64> TCheckList::CheckedObjects() const
{
    QList<qint64> out;
    for (int i = 0; i < count(); ++i)
        if (Checked(i))
            out << Objects(i);
    return out;
}

void TCheckList::SetCheckedObjects(const QList<qint64> &objects)
{
    for (int i = 0; i < count(); ++i)
        SetChecked(i, objects.contains(Objects(i)));
}
