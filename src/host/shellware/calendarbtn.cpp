#include "calendarbtn.h"

#include <QCalendarWidget>
#include <QLineEdit>
#include <QMenu>
#include <QWidgetAction>

TCalendarBtn::TCalendarBtn(QWidget *parent) : QToolButton(parent)
{
    setText(QStringLiteral("\u2026"));
    setToolTip(QStringLiteral("Datum aus dem Kalender wählen"));
    connect(this, &QToolButton::clicked, this, &TCalendarBtn::popup);
}

QDate TCalendarBtn::currentDate() const
{
    if (m_edit) {
        const QDate d = QDate::fromString(m_edit->text().trimmed(), QStringLiteral("dd.MM.yyyy"));
        if (d.isValid())
            return d;
    }
    return QDate::currentDate();
}

void TCalendarBtn::choose(const QDate &d)
{
    if (!d.isValid())
        return;
    if (m_edit) {
        m_edit->setText(d.toString(QStringLiteral("dd.MM.yyyy")));
        emit m_edit->textEdited(m_edit->text());
    }
    emit dateChosen(d);
}

void TCalendarBtn::popup()
{
    QMenu menu(this);
    auto *cal = new QCalendarWidget(&menu);
    cal->setLocale(QLocale(QLocale::German, QLocale::Germany));
    cal->setSelectedDate(currentDate());
    auto *act = new QWidgetAction(&menu);
    act->setDefaultWidget(cal);
    menu.addAction(act);
    connect(cal, &QCalendarWidget::activated, &menu, [&](const QDate &d) {
        choose(d);
        menu.close();
    });
    connect(cal, &QCalendarWidget::clicked, &menu, [&](const QDate &d) {
        choose(d);
        menu.close();
    });
    menu.exec(mapToGlobal(QPoint(0, height())));
}
