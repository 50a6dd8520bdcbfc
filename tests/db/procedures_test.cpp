#include "kit/numbermask.h"
#include "platform/db/database.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"
#include "support/testdb.h"

#include <QDir>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace db;
using testing_fd::TestDb;

TEST(Procedures, DatabaseFormatsNumbersExactlyLikeTheClient)
{
    TestDb t;
    Transaction r(&t.db(), Transaction::readParams());
    Query q(&t.db(), &r);
    q.setSql(QStringLiteral("select NR from SP_FORMAT_NUMMER(:M, :Z, :D)"));
    QStringList masks;
    for (const QString &e : kit::NumberMaskExamples())
        masks << e.section(QLatin1Char('='), 1);
    masks << QString() << QStringLiteral("Text(R) Datum(JJMM) Zahl(.6)") << QStringLiteral("Zahl(.500)")
          << QStringLiteral("Zahl(%n)") << QStringLiteral("Zahl(%s)") << QStringLiteral("Text(a(b") << QStringLiteral("Dtum(JJ)")
          << QStringLiteral("Zahl(x)") << QStringLiteral("Textgross(äöü ß) Zahl(-8)");
    const QList<QDateTime> dates{QDateTime(QDate(2024, 3, 5), QTime(9, 7, 3)), QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59))};
    for (const QDateTime &d : dates) {
        for (qint64 counter : {qint64(1234), qint64(0), qint64(987654321)}) {
            for (const QString &m : masks) {
                q.setParam(QStringLiteral("M"), m);
                q.setParam(QStringLiteral("Z"), counter);
                q.setParam(QStringLiteral("D"), d);
                q.open();
                ASSERT_FALSE(q.eof());
                EXPECT_EQ(q.value(0).toString(), kit::EvaluateNumberMask(m, counter, d))
                    << "mask " << m.toStdString() << " counter " << counter;
            }
        }
    }
    EXPECT_EQ(kit::EvaluateNumberMask(QStringLiteral("Text(R) Datum(JJMM) Zahl(.6)"), 1234, dates[0]), QStringLiteral("R2403001234"));
}

TEST(Procedures, TwoAttachmentsNeverDrawTheSameNumber)
{
    TestDb t;
    auto other = t.attachAgain();
    Transaction a(&t.db()), b(other.get());
    Query qa(&t.db(), &a), qb(other.get(), &b);
    for (Query *q : {&qa, &qb}) {
        q->setSql(QStringLiteral("select NR from SP_GET_NUMMER(:IDENT, :SUB_IDENT, :DATUM, :ANR, :SELF_ID, :FORCE_NEW)"));
        q->setParam(QStringLiteral("IDENT"), QStringLiteral("person"));
        q->setParam(QStringLiteral("SUB_IDENT"), 2);
        q->setParam(QStringLiteral("DATUM"), QDate::currentDate());
        q->setParam(QStringLiteral("ANR"), QVariant());
        q->setParam(QStringLiteral("SELF_ID"), QVariant());
        q->setParam(QStringLiteral("FORCE_NEW"), QVariant());
    }
    QSet<QString> seen;
    for (int i = 0; i < 200; ++i) {
        // Interleaved and partly uncommitted: generators hand out each value once regardless.
        qa.open();
        qb.open();
        const QString x = qa.value(0).toString(), y = qb.value(0).toString();
        qa.close();
        qb.close();
        EXPECT_FALSE(x.isEmpty());
        EXPECT_FALSE(seen.contains(x));
        seen.insert(x);
        EXPECT_FALSE(seen.contains(y));
        seen.insert(y);
        if (i % 3 == 0)
            a.commit();
        else
            b.rollback();
    }
    EXPECT_EQ(seen.size(), 400);
    // An unknown range gives no number rather than an error.
    Transaction c(&t.db());
    EXPECT_TRUE(Query::selectValue(c, QStringLiteral("select NR from SP_GET_NUMMER('gibtsnicht', null, null, null, null, null)")).toString().isEmpty());
}

// The procedures' own contract checks, run by Firebird's isql on a fresh database: every line it
// prints for a check starts with "ok" or "FAIL".
TEST(Procedures, ContractChecksPassInIsql)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("proc.fdb"));
    TestDb::createAt(path);
    QProcess isql;
    isql.setProcessChannelMode(QProcess::SeparateChannels);
    isql.start(QStringLiteral("isql-fb"), {QStringLiteral("-q"), QStringLiteral("-ch"), QStringLiteral("UTF8"), QStringLiteral("-i"),
                                           QStringLiteral(FD_TEST_SCHEMA_DIR "/../tests/db/procedures_check.sql"), path,
                                           QStringLiteral("-user"), QStringLiteral("SYSDBA")});
    ASSERT_TRUE(isql.waitForFinished(120000));
    const QString out = QString::fromUtf8(isql.readAllStandardOutput());
    int ok = 0;
    QStringList failed;
    for (const QString &line : out.split(QLatin1Char('\n'))) {
        const QString l = line.trimmed();
        if (l.startsWith(QLatin1String("ok ")))
            ++ok;
        else if (l.startsWith(QLatin1String("FAIL")))
            failed << l;
    }
    EXPECT_TRUE(failed.isEmpty()) << failed.join(QLatin1Char('\n')).toStdString();
    EXPECT_GT(ok, 50) << out.left(2000).toStdString();
}
