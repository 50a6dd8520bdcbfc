#pragma once
// Key filters of address, telephone, bank and date edits: what a user may type into a field of
// a given kind. Pasted or dropped text is cleaned by the same rules. Where the registers differ,
// InputOptions says which rule applies.

#include "kitentry_global.h"

#include <QObject>
#include <QString>
#include <functional>

class QLineEdit;

namespace kit {

enum class InputKind {
    Land,         // country code: letters, made upper case
    Plz,          // postal code: German rules (at most five digits) for "D", anything otherwise
    Telefon,      // digits and "-"
    TelefonBlank, // digits, "-" and blanks
    Bank,         // bank code or account: digits and blanks
    Datum,        // date: digits and "."
};

struct InputOptions
{
    // Plz: an empty country follows the German rules too.
    bool emptyCountryIsGermany = false;
    // Datum: ":" may be typed as well.
    bool dateAcceptsColon = false;
    // Datum: the Delete key empties the edit and emits InputFilter::clearRequested().
    bool deleteClearsDate = false;
};

// The text as the rules of `kind` let it stand; `land` is the country for postal codes.
FD_KITENTRY_EXPORT QString CleanInput(InputKind kind, const QString &text, const QString &land = QString(),
                                      const InputOptions &options = {});

class FD_KITENTRY_EXPORT InputFilter : public QObject
{
    Q_OBJECT
public:
    // `land` gives the current country code (postal codes only).
    InputFilter(QLineEdit *edit, InputKind kind, std::function<QString()> land = {}, InputOptions options = {});
    static InputFilter *install(QLineEdit *edit, InputKind kind, std::function<QString()> land = {},
                                InputOptions options = {});

signals:
    // The Delete key in a date edit (with InputOptions::deleteClearsDate): the date is to be cleared.
    void clearRequested();

protected:
    bool eventFilter(QObject *obj, QEvent *ev) override;

private:
    bool accepts(QChar c) const;
    QString land() const;
    QLineEdit *m_edit;
    InputKind m_kind;
    std::function<QString()> m_land;
    InputOptions m_options;
};

} // namespace kit
