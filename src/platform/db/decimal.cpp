#include "decimal.h"

#include <limits>

namespace db {

namespace {
constexpr qint64 kPow10[] = {1LL,
                             10LL,
                             100LL,
                             1000LL,
                             10000LL,
                             100000LL,
                             1000000LL,
                             10000000LL,
                             100000000LL,
                             1000000000LL,
                             10000000000LL,
                             100000000000LL,
                             1000000000000LL,
                             10000000000000LL,
                             100000000000000LL,
                             1000000000000000LL,
                             10000000000000000LL,
                             100000000000000000LL,
                             1000000000000000000LL};

bool mulOverflow(qint64 a, qint64 b, qint64 *r) { return __builtin_mul_overflow(a, b, r); }
bool addOverflow(qint64 a, qint64 b, qint64 *r) { return __builtin_add_overflow(a, b, r); }

const int registered = qRegisterMetaType<db::Decimal>("db::Decimal");
} // namespace

Decimal Decimal::fromInt(qint64 v, int scale)
{
    Decimal d(v, 0);
    return d.rescaled(scale);
}

Decimal Decimal::rescaled(int scale, bool *ok) const
{
    if (ok)
        *ok = true;
    if (scale < 0)
        scale = 0;
    if (scale > 18)
        scale = 18;
    if (scale == m_scale)
        return *this;
    if (scale > m_scale) {
        qint64 r;
        if (mulOverflow(m_value, kPow10[scale - m_scale], &r)) {
            if (ok)
                *ok = false;
            return *this;
        }
        return Decimal(r, scale);
    }
    const qint64 div = kPow10[m_scale - scale];
    qint64 q = m_value / div;
    const qint64 rem = m_value % div;
    if (rem * 2 >= div)
        ++q;
    else if (rem * 2 <= -div)
        --q;
    return Decimal(q, scale);
}

double Decimal::toDouble() const { return double(m_value) / double(kPow10[m_scale]); }

qint64 Decimal::toInt64Rounded() const { return rescaled(0).m_value; }

QString Decimal::toString() const { return toString(QLocale::c()); }

QString Decimal::toString(const QLocale &locale, bool groupSeparators) const
{
    const bool neg = m_value < 0;
    // Careful with the most negative value: work on the unsigned magnitude.
    quint64 mag = neg ? quint64(0) - quint64(m_value) : quint64(m_value);
    const quint64 div = quint64(kPow10[m_scale]);
    const quint64 ip = mag / div;
    const quint64 fp = mag % div;
    QString intPart = QString::number(ip);
    if (groupSeparators && intPart.size() > 3) {
        const QString sep = locale.groupSeparator();
        for (int i = intPart.size() - 3; i > 0; i -= 3)
            intPart.insert(i, sep);
    }
    QString s = neg ? QStringLiteral("-") + intPart : intPart;
    if (m_scale > 0)
        s += locale.decimalPoint() + QString::number(fp).rightJustified(m_scale, QLatin1Char('0'));
    return s;
}

Decimal Decimal::parse(const QString &input, int scale, bool *okOut, const QLocale &locale)
{
    bool dummy;
    bool &ok = okOut ? *okOut : dummy;
    ok = false;
    if (scale < 0)
        scale = 0;
    if (scale > 18)
        scale = 18;
    QString t = input.trimmed();
    t.remove(QChar(0x00A0)); // non-breaking blanks that spreadsheets put between groups
    t.remove(QLatin1Char(' '));
    if (t.isEmpty())
        return {};
    bool neg = false;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        neg = t.startsWith(QLatin1Char('-'));
        t = t.mid(1);
    }
    QChar dec = locale.decimalPoint().isEmpty() ? QLatin1Char('.') : locale.decimalPoint().at(0);
    QChar grp = locale.groupSeparator().isEmpty() ? QChar() : locale.groupSeparator().at(0);
    if (grp == QChar(0x00A0) || grp == QLatin1Char(' '))
        grp = QChar();

    auto validGrouping = [](const QString &intPart, QChar g) {
        if (g.isNull() || !intPart.contains(g))
            return false;
        const QStringList parts = intPart.split(g);
        if (parts.first().isEmpty() || parts.first().size() > 3)
            return false;
        for (int i = 1; i < parts.size(); ++i)
            if (parts[i].size() != 3)
                return false;
        return true;
    };

    QString intPart = t, fracPart;
    const int decCount = t.count(dec);
    if (decCount > 1)
        return {};
    if (decCount == 1) {
        const int p = t.indexOf(dec);
        intPart = t.left(p);
        fracPart = t.mid(p + 1);
    } else if (!grp.isNull() && t.contains(grp)) {
        // No decimal separator of the locale. "1.000" in German is a thousand; "12.5" is taken
        // as a decimal point typed the English way.
        if (!validGrouping(t, grp)) {
            if (t.count(grp) != 1)
                return {};
            const int p = t.indexOf(grp);
            intPart = t.left(p);
            fracPart = t.mid(p + 1);
        }
    }
    if (!grp.isNull() && intPart.contains(grp)) {
        if (!validGrouping(intPart, grp))
            return {};
        intPart.remove(grp);
    }
    if (intPart.isEmpty() && fracPart.isEmpty())
        return {};
    for (QChar c : intPart)
        if (!c.isDigit() || c.unicode() > 127)
            return {};
    for (QChar c : fracPart)
        if (!c.isDigit() || c.unicode() > 127)
            return {};

    // Keep one digit more than the scale for rounding.
    qint64 v = 0;
    for (QChar c : intPart) {
        if (mulOverflow(v, 10, &v) || addOverflow(v, c.digitValue(), &v))
            return {};
    }
    int places = 0;
    int roundDigit = 0;
    for (QChar c : fracPart) {
        if (places < scale) {
            if (mulOverflow(v, 10, &v) || addOverflow(v, c.digitValue(), &v))
                return {};
            ++places;
        } else if (places == scale) {
            roundDigit = c.digitValue();
            ++places;
        }
    }
    for (int i = std::min(places, scale); i < scale; ++i)
        if (mulOverflow(v, 10, &v))
            return {};
    if (roundDigit >= 5 && addOverflow(v, 1, &v))
        return {};
    ok = true;
    return Decimal(neg ? -v : v, scale);
}

bool Decimal::operator==(const Decimal &o) const
{
    const int s = std::max(m_scale, o.m_scale);
    bool ok1, ok2;
    const Decimal a = rescaled(s, &ok1), b = o.rescaled(s, &ok2);
    return ok1 && ok2 && a.m_value == b.m_value;
}

bool Decimal::operator<(const Decimal &o) const
{
    const int s = std::max(m_scale, o.m_scale);
    bool ok1, ok2;
    const Decimal a = rescaled(s, &ok1), b = o.rescaled(s, &ok2);
    if (ok1 && ok2)
        return a.m_value < b.m_value;
    return toDouble() < o.toDouble();
}

} // namespace db
