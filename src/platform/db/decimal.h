#pragma once
// Exact decimal numbers for NUMERIC/DECIMAL columns: a 64-bit integer and a count of decimal places.
// Money never passes through double on its way between the database and the screen.

#include "db_global.h"

#include <QLocale>
#include <QMetaType>
#include <QString>
#include <cstdint>

namespace db {

class FD_DB_EXPORT Decimal
{
public:
    Decimal() = default;
    Decimal(qint64 scaled, int scale) : m_value(scaled), m_scale(scale) {}
    static Decimal fromInt(qint64 v, int scale = 0);

    qint64 scaledValue() const { return m_value; }
    int scale() const { return m_scale; }

    // The same number with another count of places; rounds half away from zero when shortening.
    // Sets *ok to false on overflow.
    Decimal rescaled(int scale, bool *ok = nullptr) const;
    double toDouble() const;
    qint64 toInt64Rounded() const;

    // "12.5000" (C locale) or, with a locale, its decimal point ("12,5000" in German).
    QString toString() const;
    QString toString(const QLocale &locale, bool groupSeparators = false) const;

    // Parses what a user types: an optional sign, digits, at most one decimal separator of the
    // locale, optional group separators only in well-formed groups of three ("1.000,50").
    // A dot is accepted as decimal point too when the text has no comma and no valid grouping
    // ("12.5" in a German form). The result carries `scale` places; more places round.
    static Decimal parse(const QString &text, int scale, bool *ok, const QLocale &locale = QLocale());

    bool operator==(const Decimal &o) const;
    bool operator!=(const Decimal &o) const { return !(*this == o); }
    bool operator<(const Decimal &o) const;

private:
    qint64 m_value = 0;
    int m_scale = 0;
};

} // namespace db

Q_DECLARE_TYPEINFO(db::Decimal, Q_RELOCATABLE_TYPE);
Q_DECLARE_METATYPE(db::Decimal)
