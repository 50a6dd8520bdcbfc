#include "firmencsv.h"

namespace FirmenEntry {

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
