#pragma once
// The CSV export of the company register.

#include <QString>
#include <QStringList>

namespace FirmenEntry {

// A company's CSV line: every value quoted with inner quotes doubled, line breaks removed,
// joined by ";".
QString CsvLine(const QStringList &values);

} // namespace FirmenEntry
