#pragma once
// A small button beside a date edit that opens a calendar and writes the chosen date
// ("dd.MM.yyyy") into the edit.

#include "shellware_global.h"

#include <QDate>
#include <QPointer>
#include <QLineEdit>
#include <QToolButton>

class FD_SHELLWARE_EXPORT TCalendarBtn : public QToolButton
{
    Q_OBJECT
public:
    explicit TCalendarBtn(QWidget *parent = nullptr);
    void setEdit(QLineEdit *edit) { m_edit = edit; }
    QLineEdit *edit() const { return m_edit; }
    // The date of the edit, or today when it holds none.
    QDate currentDate() const;
    // Takes a date as if picked in the calendar.
    void choose(const QDate &d);
signals:
    void dateChosen(const QDate &d);

private:
    void popup();
    QPointer<QLineEdit> m_edit;
};
