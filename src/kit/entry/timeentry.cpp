#include "timeentry.h"

#include "host/shellware/dialogs.h"

#include <QEvent>
#include <QLineEdit>
#include <QTimer>

namespace kit {

std::optional<int> ParseMinutes(const QString &text)
{
    QString digits;
    int days = 0;
    for (const QChar c : text) {
        if (c.isDigit() && c.unicode() < 128)
            digits += c;
        else if (c == QLatin1Char(' '))
            digits += QLatin1Char('0');
        else if (c == QLatin1Char(':') || c == QChar(0x00B7))
            continue;
        else if (c == QLatin1Char('+'))
            ++days;
        else if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            continue;
        else
            return std::nullopt;
        if (digits.size() > 6 || days > 1)
            return std::nullopt; // far beyond a day either way
    }
    const int minutes = digits.right(2).toInt();
    const int hours = digits.size() > 2 ? digits.left(digits.size() - 2).toInt() : 0;
    if (minutes > 59)
        return std::nullopt;
    const int total = days * kMinutesPerDay + hours * 60 + minutes;
    if (total > kMinutesPerDay)
        return std::nullopt;
    return total;
}

QString FormatMinutes(int minutes)
{
    if (minutes < 0)
        minutes = 0;
    const int h = (minutes / 60) % 24;
    const int m = minutes % 60;
    return QStringLiteral("%1%2:%3")
        .arg(minutes >= kMinutesPerDay ? QStringLiteral("+") : QString())
        .arg(h, 2, 10, QLatin1Char('0'))
        .arg(m, 2, 10, QLatin1Char('0'));
}

QString InvalidTimeMessage(const QString &text)
{
    return QStringLiteral("\"%1\" is keine gültige Stunden-/Minutenangabe").arg(text);
}

TimeEntryFilter::TimeEntryFilter(QLineEdit *edit) : QObject(edit), m_edit(edit) { edit->installEventFilter(this); }

TimeEntryFilter *TimeEntryFilter::install(QLineEdit *edit) { return new TimeEntryFilter(edit); }

std::optional<int> TimeEntryFilter::minutes() const
{
    if (m_edit->text().trimmed().isEmpty())
        return 0;
    return ParseMinutes(m_edit->text());
}

bool TimeEntryFilter::eventFilter(QObject *obj, QEvent *ev)
{
    if (obj != m_edit || ev->type() != QEvent::FocusOut || m_reporting)
        return false;
    const QString text = m_edit->text();
    if (text.trimmed().isEmpty())
        return false;
    const std::optional<int> v = ParseMinutes(text);
    if (v) {
        m_edit->setText(FormatMinutes(*v));
        return false;
    }
    const QString msg = InvalidTimeMessage(text);
    emit invalid(msg);
    m_reporting = true;
    Dialogs::message(m_edit->window(), msg, Dialogs::Icon::Warning);
    m_reporting = false;
    // Back into the edit once the focus change that left it is over.
    QTimer::singleShot(0, m_edit, [e = m_edit] {
        e->setFocus(Qt::OtherFocusReason);
        e->selectAll();
    });
    return false;
}

} // namespace kit
