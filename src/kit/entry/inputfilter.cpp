#include "inputfilter.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace kit {

namespace {
constexpr int kPlzDigitsD = 5;

bool germanRules(const QString &land, const InputOptions &options)
{
    const QString l = land.trimmed();
    if (l.isEmpty())
        return options.emptyCountryIsGermany;
    return l.compare(QLatin1String("D"), Qt::CaseInsensitive) == 0;
}

bool asciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }
bool asciiLetter(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}
} // namespace

QString CleanInput(InputKind kind, const QString &text, const QString &land, const InputOptions &options)
{
    const bool german = kind == InputKind::Plz && germanRules(land, options);
    QString r;
    for (QChar c : text) {
        switch (kind) {
        case InputKind::Land:
            if (asciiLetter(c))
                r += c.toUpper();
            break;
        case InputKind::Plz:
            if (!german)
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
            if (asciiDigit(c) || c == QLatin1Char('.') || (options.dateAcceptsColon && c == QLatin1Char(':')))
                r += c;
            break;
        }
    }
    return r;
}

InputFilter::InputFilter(QLineEdit *edit, InputKind kind, std::function<QString()> land, InputOptions options)
    : QObject(edit), m_edit(edit), m_kind(kind), m_land(std::move(land)), m_options(options)
{
    edit->installEventFilter(this);
    // Pasted or dropped text: keep what could have been typed.
    connect(edit, &QLineEdit::textEdited, this, [this](const QString &t) {
        const QString clean = CleanInput(m_kind, t, this->land(), m_options);
        if (clean != t) {
            const int pos = qMin(m_edit->cursorPosition(), int(clean.size()));
            m_edit->setText(clean);
            m_edit->setCursorPosition(pos);
            emit m_edit->textEdited(clean);
        }
    });
}

InputFilter *InputFilter::install(QLineEdit *edit, InputKind kind, std::function<QString()> land, InputOptions options)
{
    return new InputFilter(edit, kind, std::move(land), options);
}

QString InputFilter::land() const { return m_land ? m_land() : QString(); }

bool InputFilter::accepts(QChar c) const
{
    if (m_kind == InputKind::Plz) {
        if (!germanRules(land(), m_options))
            return true;
        if (!asciiDigit(c))
            return false;
        // A selection is replaced by the key.
        const int digits = int(m_edit->text().size()) - int(m_edit->selectedText().size());
        return digits < kPlzDigitsD;
    }
    return CleanInput(m_kind, QString(c), QString(), m_options).size() == 1;
}

bool InputFilter::eventFilter(QObject *obj, QEvent *ev)
{
    if (obj != m_edit || ev->type() != QEvent::KeyPress)
        return false;
    auto *ke = static_cast<QKeyEvent *>(ev);
    if (m_kind == InputKind::Datum && m_options.deleteClearsDate && ke->key() == Qt::Key_Delete) {
        if (m_edit->isReadOnly())
            return true;
        m_edit->clear();
        emit m_edit->textEdited(QString());
        emit clearRequested();
        return true;
    }
    // Shortcuts, Backspace, cursor and other keys without text keep their meaning.
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

} // namespace kit
