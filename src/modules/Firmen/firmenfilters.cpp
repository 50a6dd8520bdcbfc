#include "firmenfilters.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QStringList>

namespace FirmenEntry {

namespace {
constexpr int kPlzDigitsD = 5;

bool germanRules(const QString &land)
{
    const QString l = land.trimmed();
    return l.isEmpty() || l.compare(QLatin1String("D"), Qt::CaseInsensitive) == 0;
}

bool asciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }
bool asciiLetter(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}
} // namespace

QString CleanInput(InputKind kind, const QString &text, const QString &land)
{
    QString r;
    for (QChar c : text) {
        switch (kind) {
        case InputKind::Land:
            if (asciiLetter(c))
                r += c.toUpper();
            break;
        case InputKind::Plz:
            if (!germanRules(land))
                r += c;
            else if (asciiDigit(c) && r.size() < kPlzDigitsD)
                r += c;
            break;
        case InputKind::Telefon:
            if (asciiDigit(c) || c == QLatin1Char('-'))
                r += c;
            break;
        case InputKind::TelefonBlank:
            if (asciiDigit(c) || c == QLatin1Char('-') || c == QLatin1Char(' '))
                r += c;
            break;
        case InputKind::Bank:
            if (asciiDigit(c) || c == QLatin1Char(' '))
                r += c;
            break;
        case InputKind::Datum:
            if (asciiDigit(c) || c == QLatin1Char('.'))
                r += c;
            break;
        }
    }
    return r;
}

InputFilter::InputFilter(QLineEdit *edit, InputKind kind, std::function<QString()> land)
    : QObject(edit), m_edit(edit), m_kind(kind), m_land(std::move(land))
{
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textEdited, this, [this](const QString &t) {
        const QString clean = CleanInput(m_kind, t, m_land ? m_land() : QString());
        if (clean != t) {
            const int pos = qMin(m_edit->cursorPosition(), int(clean.size()));
            m_edit->setText(clean);
            m_edit->setCursorPosition(pos);
            emit m_edit->textEdited(clean);
        }
    });
}

InputFilter *InputFilter::install(QLineEdit *edit, InputKind kind, std::function<QString()> land)
{
    return new InputFilter(edit, kind, std::move(land));
}

bool InputFilter::accepts(QChar c) const
{
    if (m_kind == InputKind::Plz) {
        if (!germanRules(m_land ? m_land() : QString()))
            return true;
        if (!asciiDigit(c))
            return false;
        const int digits = int(m_edit->text().size()) - int(m_edit->selectedText().size());
        return digits < kPlzDigitsD;
    }
    return CleanInput(m_kind, QString(c)).size() == 1;
}

bool InputFilter::eventFilter(QObject *obj, QEvent *ev)
{
    if (obj != m_edit || ev->type() != QEvent::KeyPress)
        return false;
    auto *ke = static_cast<QKeyEvent *>(ev);
    if (ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = ke->text();
    if (text.isEmpty() || text.at(0).unicode() < 0x20 || text.at(0).unicode() == 0x7f)
        return false;
    for (QChar c : text)
        if (!accepts(c))
            return true;
    if (m_kind == InputKind::Land && text != text.toUpper()) {
        m_edit->insert(text.toUpper());
        emit m_edit->textEdited(m_edit->text());
        return true;
    }
    return false;
}

QString CsvLine(const QStringList &values)
{
    QStringList out;
    out.reserve(values.size());
    for (QString v : values) {
        v.replace(QLatin1String("\r\n"), QLatin1String(" "));
        v.replace(QLatin1Char('\r'), QLatin1Char(' '));
        v.replace(QLatin1Char('\n'), QLatin1Char(' '));
        v.replace(QLatin1Char('"'), QLatin1String("\"\""));
        out << QLatin1Char('"') + v + QLatin1Char('"');
    }
    return out.join(QLatin1Char(';'));
}

} // namespace FirmenEntry
