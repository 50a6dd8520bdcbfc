#pragma once
// Key filters of the person fields: what a user may type into country, postal code, telephone,
// bank and date-of-birth edits. Pasted text is cleaned by the same rules.

#include <QObject>
#include <QString>
#include <functional>

class QLineEdit;

namespace Personen {

enum class InputKind { Land, Plz, Telefon, Bank, Datum };

// The text as the rules of `kind` let it stand; `land` is the country for postal codes.
QString CleanInput(InputKind kind, const QString &text, const QString &land = QString());

class InputFilter : public QObject
{
    Q_OBJECT
public:
    // `land` gives the current country code (postal codes only).
    InputFilter(QLineEdit *edit, InputKind kind, std::function<QString()> land = {});
    static InputFilter *install(QLineEdit *edit, InputKind kind, std::function<QString()> land = {});

signals:
    // The Delete key in a date edit: the date is to be cleared.
    void clearRequested();

protected:
    bool eventFilter(QObject *obj, QEvent *ev) override;

private:
    bool accepts(QChar c) const;
    QLineEdit *m_edit;
    InputKind m_kind;
    std::function<QString()> m_land;
};

} // namespace Personen
