#include "numbermask.h"

#include <algorithm>
#include <optional>

namespace kit {

namespace {

const char *const kMonthShort[12] = {"Jan", "Feb", "M\u00e4r", "Apr", "Mai", "Jun",
                                      "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
const char *const kMonthLong[12] = {"Januar", "Februar", "M\u00e4rz", "April",
                                     "Mai", "Juni", "Juli", "August",
                                     "September", "Oktober", "November", "Dezember"};
// Index 0 = Monday, as QDate::dayOfWeek() - 1.
const char *const kDayShort[7] = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
const char *const kDayLong[7] = {"Montag", "Dienstag", "Mittwoch", "Donnerstag",
                                  "Freitag", "Samstag", "Sonntag"};

bool isTrimChar(QChar c)
{
    return c.unicode() <= 32;
}

QString trimBoth(const QString &s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && isTrimChar(s.at(b)))
        ++b;
    while (e > b && isTrimChar(s.at(e - 1)))
        --e;
    return s.mid(b, e - b);
}

QString trimRight(const QString &s)
{
    qsizetype e = s.size();
    while (e > 0 && isTrimChar(s.at(e - 1)))
        --e;
    return s.left(e);
}

// Upper-cases one character per character, as the database does for ISO8859_1:
// a-z and the Latin-1 letters U+00E0..U+00FE (except U+00F7) move down by 0x20;
// everything else (also "ß", "ÿ", "µ") stays.
QString upperLatin1(const QString &s)
{
    QString r = s;
    for (qsizetype i = 0; i < r.size(); ++i) {
        const char16_t u = r.at(i).unicode();
        if ((u >= u'a' && u <= u'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7))
            r[i] = QChar(char16_t(u - 0x20));
    }
    return r;
}

char16_t lowerAscii(char16_t u)
{
    return (u >= u'A' && u <= u'Z') ? char16_t(u + 0x20) : u;
}

QString pad(int value, int digits)
{
    return QStringLiteral("%1").arg(value, digits, 10, QLatin1Char('0'));
}

QString formatDate(const QString &picture, const QDateTime &dt)
{
    // J, T and Z (either case) become Y, D and T.
    QString f = picture;
    for (qsizetype i = 0; i < f.size(); ++i) {
        switch (f.at(i).unicode()) {
        case u'J': f[i] = u'Y'; break;
        case u'j': f[i] = u'y'; break;
        case u'T': f[i] = u'D'; break;
        case u't': f[i] = u'd'; break;
        case u'Z': f[i] = u'T'; break;
        case u'z': f[i] = u't'; break;
        default: break;
        }
    }

    const QDate d = dt.date();
    const QTime t = dt.time();
    const QString shortTime = pad(t.hour(), 2) + u':' + pad(t.minute(), 2);

    QString out;
    qsizetype i = 0;
    while (i < f.size()) {
        const QChar c = f.at(i);
        if (c == u'"' || c == u'\'') {
            const qsizetype close = f.indexOf(c, i + 1);
            if (close < 0) {
                out += f.mid(i + 1);
                break;
            }
            out += f.mid(i + 1, close - i - 1);
            i = close + 1;
            continue;
        }
        const char16_t lc = lowerAscii(c.unicode());
        if (lc == u'y' || lc == u'm' || lc == u'd' || lc == u'h' || lc == u'n' || lc == u's'
            || lc == u't') {
            qsizetype k = i + 1;
            while (k < f.size() && lowerAscii(f.at(k).unicode()) == lc)
                ++k;
            const qsizetype run = k - i;
            i = k;
            switch (lc) {
            case u'y':
                out += run <= 2 ? pad(d.year() % 100, 2) : pad(d.year(), 4);
                break;
            case u'm':
                if (run == 1)
                    out += QString::number(d.month());
                else if (run == 2)
                    out += pad(d.month(), 2);
                else if (run == 3)
                    out += QString::fromUtf8(kMonthShort[d.month() - 1]);
                else
                    out += QString::fromUtf8(kMonthLong[d.month() - 1]);
                break;
            case u'd':
                if (run == 1)
                    out += QString::number(d.day());
                else if (run == 2)
                    out += pad(d.day(), 2);
                else if (run == 3)
                    out += QString::fromUtf8(kDayShort[d.dayOfWeek() - 1]);
                else
                    out += QString::fromUtf8(kDayLong[d.dayOfWeek() - 1]);
                break;
            case u'h':
                out += run == 1 ? QString::number(t.hour()) : pad(t.hour(), 2);
                break;
            case u'n':
                out += run == 1 ? QString::number(t.minute()) : pad(t.minute(), 2);
                break;
            case u's':
                out += run == 1 ? QString::number(t.second()) : pad(t.second(), 2);
                break;
            case u't':
                out += run == 1 ? shortTime : shortTime + u':' + pad(t.second(), 2);
                break;
            }
            continue;
        }
        out += (c == u'/') ? QChar(u'.') : c;
        ++i;
    }
    return out;
}

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Formats the counter with a printf-like picture; nullopt on error.
std::optional<QString> formatNumber(const QString &argument, qint64 n)
{
    QString f = trimRight(argument);
    if (!f.contains(u'%'))
        f.prepend(u'%');
    const char16_t last = f.back().unicode();
    if (last != u'd' && last != u'D' && last != u'x' && last != u'X')
        f.append(u'd');

    QString out;
    bool converted = false;
    qsizetype i = 0;
    while (i < f.size()) {
        const QChar c = f.at(i++);
        if (c != u'%') {
            out += c;
            continue;
        }
        if (i >= f.size())
            return std::nullopt;
        if (f.at(i) == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        bool left = false, zero = false, plus = false, space = false;
        for (; i < f.size(); ++i) {
            const char16_t u = f.at(i).unicode();
            if (u == u'-')
                left = true;
            else if (u == u'0')
                zero = true;
            else if (u == u'+')
                plus = true;
            else if (u == u' ')
                space = true;
            else
                break;
        }
        int width = 0;
        for (; i < f.size() && isDigit(f.at(i)); ++i)
            width = std::min(width * 10 + (f.at(i).unicode() - u'0'), NumberMaskMaxWidth);
        bool hasPrecision = false;
        int precision = 0;
        if (i < f.size() && f.at(i) == u'.') {
            hasPrecision = true;
            for (++i; i < f.size() && isDigit(f.at(i)); ++i)
                precision = std::min(precision * 10 + (f.at(i).unicode() - u'0'), NumberMaskMaxWidth);
        }
        if (i >= f.size())
            return std::nullopt;
        const char16_t conv = f.at(i++).unicode();
        if (conv != u'd' && conv != u'D' && conv != u'x' && conv != u'X')
            return std::nullopt;
        if (converted)
            return std::nullopt;
        converted = true;

        const quint64 magnitude = n < 0 ? quint64(0) - quint64(n) : quint64(n);
        QString digits = QString::number(magnitude, (conv == u'x' || conv == u'X') ? 16 : 10);
        if (conv == u'X')
            digits = digits.toUpper();
        if (digits.size() < precision)
            digits.prepend(QString(precision - digits.size(), u'0'));
        const QString sign = n < 0 ? QStringLiteral("-")
                             : plus ? QStringLiteral("+")
                             : space ? QStringLiteral(" ")
                                     : QString();
        QString body = sign + digits;
        if (body.size() < width) {
            const qsizetype fill = width - body.size();
            if (left)
                body.append(QString(fill, u' '));
            else if (zero && !hasPrecision)
                body = sign + QString(fill, u'0') + digits;
            else
                body.prepend(QString(fill, u' '));
        }
        out += body;
    }
    return out;
}

} // namespace

QString EvaluateNumberMask(const QString &mask, qint64 counter, const QDateTime &date)
{
    const QDateTime dt = date.isValid() ? date : QDateTime::currentDateTime();
    QString m = trimBoth(mask);
    if (m.isEmpty())
        return QString::number(counter);

    QString result;
    bool hasNumber = false;
    while (!m.isEmpty()) {
        QString keyword;
        const qsizetype open = m.indexOf(u'(');
        if (open >= 0) {
            keyword = m.left(open);
            keyword.remove(u' ');
            keyword.remove(u'_');
            keyword = upperLatin1(keyword);
            m = m.mid(open + 1);
        }
        QString argument;
        const qsizetype close = m.indexOf(u')');
        if (close >= 0) {
            argument = m.left(close);
            m = m.mid(close + 1);
        }

        QString part;
        if (keyword.contains(QLatin1String("DATUM"))) {
            part = formatDate(argument, dt);
        } else if (keyword.contains(QLatin1String("TEXT"))) {
            part = argument;
        } else if (keyword.contains(QLatin1String("ZAHL"))) {
            const std::optional<QString> number = formatNumber(argument, counter);
            if (!number)
                return result;
            part = *number;
            hasNumber = true;
        } else if (keyword.isEmpty()) {
            break;
        } else {
            continue;
        }
        if (keyword.endsWith(QLatin1String("GROSS")))
            part = upperLatin1(part);
        if (result.size() + part.size() > NumberMaskMaxLength)
            return result;
        result += part;
    }

    if (!hasNumber) {
        const QString plain = QString::number(counter);
        if (result.size() + plain.size() > NumberMaskMaxLength)
            return result;
        result += plain;
    }
    return result;
}

QStringList NumberMaskExamples()
{
    return {
        QStringLiteral("Standard 8 stellig=Zahl(.8)"),
        QStringLiteral("Standard mit Datum und 6 stellig=Datum(JJMM) Zahl(.6)"),
        QStringLiteral("Rechnungsnummer mit Datum=Text(R) Datum(JJMM) Zahl(.6)"),
        QStringLiteral("Datum Standard=Datum(JJMM)"),
        QStringLiteral("Datum kurz=Datum(T/M/J)"),
        QStringLiteral("Datum lang=Datum(TT.MMM.JJJJ)"),
        QStringLiteral("Datum mit Monatsnamen=Datum(TT/MMMM/JJJJ)"),
        QStringLiteral("Datum mit Monatsnamen gro\u00df=Datumgross(TT/MMM/JJJJ)"),
        QStringLiteral("Zeit kurz=Datum(H:N)"),
        QStringLiteral("Zeit lang=Datum(HH:NN:SS)"),
        QStringLiteral("Datum und Zeit=(TT/MM/JJJJ HH:NN:SS)"),
        QStringLiteral("Z\u00e4hler kurz=Zahl()"),
        QStringLiteral("Z\u00e4hler 6 stellig=Zahl(.6)"),
        QStringLiteral("Textzeichen=Text(Testformat)"),
        QStringLiteral("Textzeichen gro\u00df=Textgross(Testformat)"),
    };
}

} // namespace kit
