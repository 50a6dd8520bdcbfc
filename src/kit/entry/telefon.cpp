#include "telefon.h"

namespace kit {

QString NormalizeTelephone(const QString &text)
{
    QString out;
    bool seenDigit = false, plus = false, separated = false;
    for (const QChar c : text) {
        if (c.isDigit() && c.unicode() < 128) {
            out += c;
            seenDigit = true;
        } else if (c == QLatin1Char('+')) {
            if (!seenDigit && !plus) {
                out += c;
                plus = true;
            }
        } else if (seenDigit && !separated
                   && (c == QLatin1Char(' ') || c == QLatin1Char('(') || c == QLatin1Char('-') || c == QLatin1Char('/')
                       || c == QLatin1Char('[') || c == QLatin1Char('\\'))) {
            out += QLatin1Char('-');
            separated = true;
        }
    }
    return out;
}

} // namespace kit
