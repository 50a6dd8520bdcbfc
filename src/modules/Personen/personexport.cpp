#include "personexport.h"

#include "platform/db/query.h"

#include <QDateTime>
#include <QIODevice>

namespace Personen {

const QStringList &ExportColumns()
{
    // FOTO (picture data) has no text form and stays out of the file.
    static const QStringList cols = {
        QStringLiteral("ID"), QStringLiteral("NACHNAME"), QStringLiteral("VORNAME"), QStringLiteral("PERSONEN_NAME"),
        QStringLiteral("ANREDE"), QStringLiteral("TITEL"), QStringLiteral("IDENTNR"), QStringLiteral("TYP"),
        QStringLiteral("FUNKTION"), QStringLiteral("FIRMEN_ID"), QStringLiteral("STRASSE"), QStringLiteral("LAND"),
        QStringLiteral("PLZ"), QStringLiteral("ORT"), QStringLiteral("ADRESSENZUSATZ"), QStringLiteral("TELEFON1"),
        QStringLiteral("TELEFON2"), QStringLiteral("MOBIL"), QStringLiteral("TELEFAX"), QStringLiteral("EMAIL"),
        QStringLiteral("GEBOREN_AM"), QStringLiteral("GEBOREN_IN"), QStringLiteral("GEBURTSNAME"),
        QStringLiteral("NATIONALITAET"), QStringLiteral("GESCHLECHT"), QStringLiteral("FAMILIENSTAND"),
        QStringLiteral("KINDER"), QStringLiteral("RELIGION"), QStringLiteral("BERUF"), QStringLiteral("AKTENZEICHEN"),
        QStringLiteral("ZUSATZ1"), QStringLiteral("ZUSATZ2"), QStringLiteral("ZUSATZ3"), QStringLiteral("BANK"),
        QStringLiteral("BLZ"), QStringLiteral("KONTO"), QStringLiteral("LASTSCHRIFTEINZUG"), QStringLiteral("FIBUKONTO"),
        QStringLiteral("FIBUSTATUS"), QStringLiteral("KOSTST"), QStringLiteral("ARZT_BSNR"), QStringLiteral("ARZT_NR"),
        QStringLiteral("STATUS"), QStringLiteral("KENNZEICHEN"), QStringLiteral("BEMERKUNGEN"), QStringLiteral("DC"),
        QStringLiteral("DM"),
    };
    return cols;
}

QString ExportSql()
{
    return QStringLiteral("select ") + ExportColumns().join(QStringLiteral(", "))
           + QStringLiteral(" from PERSON where DD is Null @@FILTER@ order by NACHNAME, VORNAME");
}

QString CsvText(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return QString();
    switch (v.typeId()) {
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    case QMetaType::QByteArray:
        return QString();
    default:
        break;
    }
    QString t = v.toString();
    if (t.contains(QLatin1Char('\r'))) {
        t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    }
    return t;
}

QString CsvQuote(const QString &text)
{
    QString r;
    r.reserve(text.size() + 2);
    r += QLatin1Char('"');
    for (QChar c : text) {
        if (c == QLatin1Char('"'))
            r += QLatin1Char('"');
        r += c;
    }
    r += QLatin1Char('"');
    return r;
}

QString CsvLine(const QStringList &texts)
{
    QString line;
    for (int i = 0; i < texts.size(); ++i) {
        if (i)
            line += QLatin1Char(';');
        line += CsvQuote(texts.at(i));
    }
    return line;
}

int WriteCsv(db::Query &q, QIODevice &out)
{
    const int n = q.fieldCount();
    int birth = -1;
    QStringList names;
    for (int i = 0; i < n; ++i) {
        names << q.columns().at(i).name;
        if (names.last().compare(QLatin1String("GEBOREN_AM"), Qt::CaseInsensitive) == 0)
            birth = i;
    }
    int rows = 0;
    QByteArray buf;
    QStringList texts;
    texts.reserve(n);
    for (; !q.eof(); q.next()) {
        if (rows == 0) {
            buf += CsvLine(names).toLatin1();
            buf += "\r\n";
        }
        texts.clear();
        for (int i = 0; i < n; ++i) {
            QString t = CsvText(q.value(i));
            if (i == birth && t.isEmpty())
                t = QStringLiteral(" ");
            texts << t;
        }
        buf += CsvLine(texts).toLatin1();
        buf += "\r\n";
        ++rows;
        if (buf.size() > (1 << 20)) {
            out.write(buf);
            buf.clear();
        }
    }
    out.write(buf);
    return rows;
}

} // namespace Personen
