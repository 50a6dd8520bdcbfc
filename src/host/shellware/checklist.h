#pragma once
// A list of check boxes, each line carrying an integer object (a lookup code).

#include "shellware_global.h"
#include "tstrings.h"

#include <QListWidget>

class FD_SHELLWARE_EXPORT TCheckList : public QListWidget
{
    Q_OBJECT
public:
    explicit TCheckList(QWidget *parent = nullptr);
    void setItems(const TStrings &items);
    int Count() const { return count(); }
    bool Checked(int i) const;
    void SetChecked(int i, bool on);
    qint64 Objects(int i) const;
    // Objects of the checked lines, in list order.
    QList<qint64> CheckedObjects() const;
    // Checks exactly the lines whose object is in `objects`.
    void SetCheckedObjects(const QList<qint64> &objects);
signals:
    void checkChanged(int index, bool on);
};
