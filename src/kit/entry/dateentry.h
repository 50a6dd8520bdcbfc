#pragma once
// Date entry in plain edits: users type short forms ("0103", "25.03.", "1.3.24") and leave the
// edit; the text becomes a proper German date ("01.03.2026").

#include "kitentry_global.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>

class QLineEdit;

namespace kit {

// The normalisation of a typed date. A text without "." is read as day (two characters), month
// (two characters) and the rest as year; a text ending in "." gets the year of `today`. The result
// is read as dd.MM.yyyy (a two-digit year as 19xx/20xx around `today`, an omitted year as
// `today`'s) and returned in that format. Sets *ok to false and returns "" when it is no date.
FD_KITENTRY_EXPORT QString NormalizeDateText(const QString &text, const QDate &today, bool *ok = nullptr);
FD_KITENTRY_EXPORT QDate ParseGermanDate(const QString &text, const QDate &today = QDate::currentDate());

// The text-to-value conversion of a date column (a dataset field's setText): blank is NULL, a
// typed date as above is the date, anything else a conversion error naming the field ("„31.02.“
// ist kein gültiges Datum (Kunde seit).").
FD_KITENTRY_EXPORT std::function<QVariant(const QString &)> DateFieldSetter(const QString &fieldCaption);

// Normalises the edit's text in place. An invalid date is reported quietly to the protocol with
// the context "FormatDatum" and the edit is emptied; returns false then. A blank edit is left as
// it is.
FD_KITENTRY_EXPORT bool FormatDatum(QLineEdit *edit);

// The key filter of date edits: only digits, ".", ":" and Backspace are typed (navigation keys
// still work); leaving a non-blank edit normalises it; with `acceptEnter` Enter does the same
// (the lists' period edits).
class FD_KITENTRY_EXPORT DateEntryFilter : public QObject
{
    Q_OBJECT
public:
    explicit DateEntryFilter(QLineEdit *edit, bool acceptEnter = false);
    static DateEntryFilter *install(QLineEdit *edit, bool acceptEnter = false);

signals:
    // After a normalisation on leaving or Enter; `ok` false when the text was no date.
    void normalized(bool ok);

protected:
    bool eventFilter(QObject *obj, QEvent *ev) override;

private:
    QLineEdit *m_edit;
    bool m_enter;
};

} // namespace kit
