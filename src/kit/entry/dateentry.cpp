#include "dateentry.h"

#include "host/shellware/systools.h"
#include "platform/db/dberror.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <stdexcept>

namespace kit {

QDate ParseGermanDate(const QString &text, const QDate &today)
{
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d{1,2})\\.(\\d{1,2})\\.(\\d{0,4})\\s*$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return QDate();
    const int day = m.captured(1).toInt();
    const int month = m.captured(2).toInt();
    const QString y = m.captured(3);
    int year;
    if (y.isEmpty()) {
        year = today.year();
    } else if (y.size() <= 2) {
        // Two digits: the century that puts the date nearest to today (within 80 years back and
        // 20 ahead), as people mean it when they type "1.3.24" or "12.5.48".
        const int yy = y.toInt();
        const int century = today.year() / 100 * 100;
        year = century + yy;
        if (year > today.year() + 20)
            year -= 100;
    } else if (y.size() == 4) {
        year = y.toInt();
    } else {
        return QDate();
    }
    const QDate d(year, month, day);
    return d.isValid() ? d : QDate();
}

QString NormalizeDateText(const QString &input, const QDate &today, bool *ok)
{
    if (ok)
        *ok = false;
    QString t = input.trimmed();
    if (t.isEmpty())
        return QString();
    if (!t.contains(QLatin1Char('.'))) {
        // "0103" → "01.03.", "010324" → "01.03.24"
        t = t.left(2) + QLatin1Char('.') + t.mid(2, 2) + QLatin1Char('.') + t.mid(4);
    }
    if (t.endsWith(QLatin1Char('.')) && t.count(QLatin1Char('.')) == 2)
        t += QString::number(today.year());
    const QDate d = ParseGermanDate(t, today);
    if (!d.isValid())
        return QString();
    if (ok)
        *ok = true;
    return d.toString(QStringLiteral("dd.MM.yyyy"));
}

bool FormatDatum(QLineEdit *edit)
{
    if (!edit || edit->text().trimmed().isEmpty())
        return true;
    bool ok = false;
    const QString text = edit->text();
    const QString normal = NormalizeDateText(text, QDate::currentDate(), &ok);
    if (ok) {
        if (normal != text)
            edit->setText(normal);
        return true;
    }
    try {
        throw std::runtime_error(QStringLiteral("\u201E%1\u201C ist kein gültiges Datum.").arg(text).toStdString());
    } catch (...) {
        Systools::HandleException(QStringLiteral("FormatDatum"), edit, true);
    }
    edit->clear();
    return false;
}

DateEntryFilter::DateEntryFilter(QLineEdit *edit, bool acceptEnter) : QObject(edit), m_edit(edit), m_enter(acceptEnter)
{
    edit->installEventFilter(this);
}

DateEntryFilter *DateEntryFilter::install(QLineEdit *edit, bool acceptEnter)
{
    return new DateEntryFilter(edit, acceptEnter);
}

bool DateEntryFilter::eventFilter(QObject *obj, QEvent *ev)
{
    if (obj != m_edit)
        return false;
    if (ev->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(ev);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            if (m_enter) {
                emit normalized(FormatDatum(m_edit));
                return false;
            }
            return false; // Enter belongs to the dialog's default button
        }
        if (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false; // shortcuts, copy and paste
        const QString t = k->text();
        if (t.isEmpty() || !t.at(0).isPrint())
            return false; // navigation, Backspace, Delete, Tab
        const QChar c = t.at(0);
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.') || c == QLatin1Char(':'))
            return false;
        return true; // swallowed
    }
    if (ev->type() == QEvent::FocusOut && !m_edit->text().trimmed().isEmpty())
        emit normalized(FormatDatum(m_edit));
    return false;
}

std::function<QVariant(const QString &)> DateFieldSetter(const QString &fieldCaption)
{
    return [fieldCaption](const QString &text) -> QVariant {
        if (text.trimmed().isEmpty())
            return QVariant();
        bool ok = false;
        const QString norm = NormalizeDateText(text.trimmed(), QDate::currentDate(), &ok);
        if (!ok)
            throw db::DbError(db::DbError::Kind::Conversion,
                              QStringLiteral("\u201E%1\u201C ist kein gültiges Datum (%2).").arg(text, fieldCaption));
        return QDate::fromString(norm, QStringLiteral("dd.MM.yyyy"));
    };
}

} // namespace kit
