#pragma once
// The CSV file of the person register: one line per person, every value in double quotes with
// inner quotes doubled, joined by ";", a header line of the column names first. Written in the
// Windows ANSI code page (cp1252, equal to ISO 8859-1 for every character the database can hold),
// the encoding that Excel and LibreOffice Calc assume for a ".csv" on a German system.

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

class QIODevice;
namespace db { class Query; }

namespace Personen {

// The columns of the export, in file order.
const QStringList &ExportColumns();
// The select of the export query with its "@@FILTER@" macro.
QString ExportSql();

// One value as it appears between the quotes: dates "dd.MM.yyyy", time stamps
// "dd.MM.yyyy hh:mm:ss", line breaks as one line feed (a quoted value may span lines).
QString CsvText(const QVariant &value);
// `text` quoted: "a""b" for a"b.
QString CsvQuote(const QString &text);
// One line without its end.
QString CsvLine(const QStringList &texts);

// Writes the rows of an open export query to `out` (header first when there is a row); returns
// the count of rows. Lines end with CR LF.
int WriteCsv(db::Query &q, QIODevice &out);

} // namespace Personen
