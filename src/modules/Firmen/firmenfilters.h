#pragma once
// Key filters of the company fields: what a user may type into country, postal code, telephone,
// bank and date edits. Pasted text is cleaned by the same rules. Also used by the master page of
// the dossier.

#include <QObject>
#include <QString>
#include <functional>

class QLineEdit;

namespace FirmenEntry {

enum class InputKind { Land, Plz, Telefon, TelefonBlank, Bank, Datum };

// The text as the rules of `kind` let it stand; `land` is the country for postal codes
// ("D" or empty: at most five digits).
QString CleanInput(InputKind kind, const QString &text, const QString &land = QString());

class InputFilter : public QObject
{
    Q_OBJECT
public:
    InputFilter(QLineEdit *edit, InputKind kind, std::function<QString()> land = {});
    static InputFilter *install(QLineEdit *edit, InputKind kind, std::function<QString()> land = {});

protected:
    bool eventFilter(QObject *obj, QEvent *ev) override;

private:
    bool accepts(QChar c) const;
    QLineEdit *m_edit;
    InputKind m_kind;
    std::function<QString()> m_land;
};

// A company's CSV line: every value quoted with inner quotes doubled, line breaks removed,
// joined by ";".
QString CsvLine(const QStringList &values);

} // namespace FirmenEntry
