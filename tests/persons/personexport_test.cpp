// The CSV export: quoting, encoding, header, the save dialog's proposal and the stored settings.

#include "personfixture.h"
#include "personexport.h"

#include "host/shellware/cfg.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/modinfo.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>

namespace {
// Splits CSV text as a spreadsheet program reads it: ";" between values, values in double
// quotes may hold ";", line breaks and doubled quotes.
QList<QStringList> parseCsv(const QString &text)
{
    QList<QStringList> rows;
    QStringList row;
    QString cur;
    bool quoted = false, any = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    cur += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                cur += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            any = true;
        } else if (c == QLatin1Char(';')) {
            row << cur;
            cur.clear();
        } else if (c == QLatin1Char('\r')) {
        } else if (c == QLatin1Char('\n')) {
            row << cur;
            rows << row;
            row.clear();
            cur.clear();
            any = false;
        } else {
            cur += c;
        }
    }
    if (any || !cur.isEmpty())
        rows << (row << cur);
    return rows;
}
} // namespace

TEST(PersonCsv, QuotingRules)
{
    struct Case { QVariant value; const char *quoted; } cases[] = {
        {QStringLiteral("Müller"), "\"Müller\""},
        {QStringLiteral("Sagt \"Hallo\""), "\"Sagt \"\"Hallo\"\"\""},
        {QStringLiteral("A;B"), "\"A;B\""},
        {QStringLiteral("Zeile 1\r\nZeile 2"), "\"Zeile 1\nZeile 2\""},
        {QStringLiteral(""), "\"\""},
        {QVariant(), "\"\""},
        {QVariant(qlonglong(42)), "\"42\""},
        {QDate(1980, 3, 12), "\"12.03.1980\""},
        {QDateTime(QDate(2026, 1, 2), QTime(13, 4, 5)), "\"02.01.2026 13:04:05\""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Personen::CsvQuote(Personen::CsvText(c.value)), QString::fromUtf8(c.quoted)) << c.quoted;
    EXPECT_EQ(Personen::CsvLine({QStringLiteral("a"), QStringLiteral("b;c"), QString()}), QStringLiteral("\"a\";\"b;c\";\"\""));
}

TEST_F(PersonTest, ExportSurvivesTheRoundTrip)
{
    const int a = addPerson(QStringLiteral("Öztürk; Weiß"), 2, QStringLiteral("Jürgen \"Jo\""));
    exec(QStringLiteral("update PERSON set BEMERKUNGEN = 'erste Zeile' || ascii_char(13) || ascii_char(10) || 'zweite' "
                        "where ID = %1").arg(a));
    const int b = addPerson(QStringLiteral("Adam"), 1);
    exec(QStringLiteral("update PERSON set GEBOREN_AM = '1975-08-09' where ID = %1").arg(b));
    const int gone = addPerson(QStringLiteral("Gelöscht"), 1);
    exec(QStringLiteral("update PERSON set DD = current_timestamp where ID = %1").arg(gone));
    const QString dir = QDir(m_home.path()).filePath(QStringLiteral("export"));
    QDir().mkpath(dir);
    TWin95Form *f = open();
    // The dialog offers "Personen" in the folder stored before; no extension typed: ".csv" is added.
    Cfg::SetCompValue(f, QStringLiteral("ExportDir"), dir);
    const QString target = QDir(dir).filePath(QStringLiteral("alle"));
    Dialogs::expect(Dialogs::Kind::SaveFile, {Dialogs::Ok, target});
    f->findChild<QAction *>(QStringLiteral("sbExport"))->trigger();
    const QList<Dialogs::Request> h = Dialogs::history();
    ASSERT_FALSE(h.isEmpty());
    EXPECT_EQ(h.last().value, QDir(dir).filePath(QStringLiteral("Personen.csv")));
    EXPECT_TRUE(h.last().filter.contains(QStringLiteral("CSV-Datei (*.csv)")));
    QFile file(target + QStringLiteral(".csv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // Windows ANSI: one byte per umlaut, no byte order mark.
    EXPECT_TRUE(bytes.contains("\xd6zt\xfcrk; Wei\xdf"));
    EXPECT_FALSE(bytes.startsWith("\xef\xbb\xbf"));
    EXPECT_TRUE(bytes.contains("\r\n"));
    const QList<QStringList> rows = parseCsv(QString::fromLatin1(bytes));
    ASSERT_EQ(rows.size(), 3);   // header, Adam, Öztürk (sorted by name); the deleted one is left out
    const QStringList &head = rows.at(0);
    EXPECT_EQ(head, Personen::ExportColumns());
    const int cN = int(head.indexOf(QStringLiteral("NACHNAME"))), cV = int(head.indexOf(QStringLiteral("VORNAME"))),
              cB = int(head.indexOf(QStringLiteral("BEMERKUNGEN"))), cG = int(head.indexOf(QStringLiteral("GEBOREN_AM")));
    EXPECT_EQ(rows.at(1).at(cN), QStringLiteral("Adam"));
    EXPECT_EQ(rows.at(1).at(cG), QStringLiteral("09.08.1975"));
    EXPECT_EQ(rows.at(2).at(cN), QStringLiteral("Öztürk; Weiß"));
    EXPECT_EQ(rows.at(2).at(cV), QStringLiteral("Jürgen \"Jo\""));
    EXPECT_EQ(rows.at(2).at(cB), QStringLiteral("erste Zeile\nzweite"));
    EXPECT_EQ(rows.at(2).at(cG), QStringLiteral(" "));   // an empty date of birth is a blank
    for (const QStringList &r : rows)
        EXPECT_EQ(r.size(), head.size());
    EXPECT_EQ(Cfg::GetCompValue(f, QStringLiteral("ExportDir")).toString(), dir);
    EXPECT_EQ(Cfg::GetCompValue(f, QStringLiteral("ExportFileName")).toString(), QStringLiteral("alle.csv"));

    // With a type chosen: only that type, proposed under the type's name; cancelling writes nothing.
    auto *filter = f->findChild<QComboBox *>(QStringLiteral("cbTypWahl"));
    filter->setCurrentIndex(filter->findText(QStringLiteral("Mitarbeiter")));
    emit filter->activated(filter->currentIndex());
    Dialogs::expect(Dialogs::Kind::SaveFile, {Dialogs::Ok, QDir(dir).filePath(QStringLiteral("ma.txt"))});
    f->findChild<QAction *>(QStringLiteral("sbExport"))->trigger();
    EXPECT_EQ(Dialogs::history().last().value, QDir(dir).filePath(QStringLiteral("Mitarbeiter.csv")));
    QFile ma(QDir(dir).filePath(QStringLiteral("ma.txt")));
    ASSERT_TRUE(ma.open(QIODevice::ReadOnly));
    const QList<QStringList> maRows = parseCsv(QString::fromLatin1(ma.readAll()));
    ASSERT_EQ(maRows.size(), 2);
    EXPECT_EQ(maRows.at(1).at(cN), QStringLiteral("Adam"));
    Dialogs::expect(Dialogs::Kind::SaveFile, {Dialogs::Cancel, QString()});
    f->findChild<QAction *>(QStringLiteral("sbExport"))->trigger();
    EXPECT_EQ(Cfg::GetCompValue(f, QStringLiteral("ExportFileName")).toString(), QStringLiteral("ma.txt"));
}

TEST_F(PersonTest, ExportToAnUnwritablePlaceReportsAndKeepsTheSettings)
{
    addPerson(QStringLiteral("Adam"), 3);
    TWin95Form *f = open();
    Dialogs::expect(Dialogs::Kind::SaveFile, {Dialogs::Ok, QDir(m_home.path()).filePath(QStringLiteral("fehlt/x.csv"))});
    Dialogs::expectMessage(QStringLiteral("Person.ExportPerson1"));
    f->findChild<QAction *>(QStringLiteral("sbExport"))->trigger();
    EXPECT_FALSE(Cfg::GetCompValue(f, QStringLiteral("ExportFileName")).isValid());
}
