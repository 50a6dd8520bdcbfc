#include "platform/db/database.h"
#include "platform/db/dberror.h"
#include "platform/db/decimal.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"
#include "support/testdb.h"

#include <QDateTime>
#include <gtest/gtest.h>

using namespace db;
using testing_fd::TestDb;

namespace {

void createScratch(Database &d)
{
    d.executeImmediate(QStringLiteral(
        "create table T_DATA (ID integer not null primary key, NAME varchar(40), BETRAG numeric(18,4), "
        "MEMO blob sub_type text, BILD blob sub_type 0, DATUM timestamp, DM timestamp)"));
}

qint64 insertRow(Transaction &tr, int id, const QVariant &name)
{
    Query q(tr.database(), &tr);
    q.setSql(QStringLiteral("insert into T_DATA (ID, NAME) values (:ID, :NAME)"));
    q.setParam(QStringLiteral("ID"), id);
    q.setParam(QStringLiteral("NAME"), name);
    return q.exec();
}

} // namespace

TEST(Transactions, ReadCommittedSeesAnotherCommitAfterRefresh)
{
    TestDb t;
    createScratch(t.db());
    Transaction reader(&t.db(), Transaction::readParams());
    Transaction writer(&t.db());
    Transaction snapshot(&t.db(), {QStringLiteral("read"), QStringLiteral("concurrency")});
    const QString count = QStringLiteral("select count(*) from T_DATA");
    EXPECT_EQ(Query::selectValue(reader, count).toInt(), 0);
    EXPECT_EQ(Query::selectValue(snapshot, count).toInt(), 0);

    insertRow(writer, 1, QStringLiteral("eins"));
    // Not committed yet: nobody else sees it, the writer does.
    EXPECT_EQ(Query::selectValue(reader, count).toInt(), 0);
    EXPECT_EQ(Query::selectValue(writer, count).toInt(), 1);
    writer.commit();
    EXPECT_FALSE(writer.isActive());
    // Read committed sees it at once; a snapshot transaction keeps its view until it ends.
    EXPECT_EQ(Query::selectValue(reader, count).toInt(), 1);
    EXPECT_EQ(Query::selectValue(snapshot, count).toInt(), 0);
    snapshot.commit();
    EXPECT_EQ(Query::selectValue(snapshot, count).toInt(), 1);
}

TEST(Transactions, RollbackDiscardsAndUnknownParameterIsRefused)
{
    TestDb t;
    createScratch(t.db());
    Transaction w(&t.db());
    insertRow(w, 1, QStringLiteral("weg"));
    w.rollback();
    Transaction r(&t.db(), Transaction::readParams());
    EXPECT_EQ(Query::selectValue(r, QStringLiteral("select count(*) from T_DATA")).toInt(), 0);
    Transaction bad(&t.db(), {QStringLiteral("read"), QStringLiteral("sometimes")});
    EXPECT_THROW(bad.start(), DbError);
}

TEST(Query, ParametersBindByNameAndMacrosShapeTheStatement)
{
    TestDb t;
    createScratch(t.db());
    Transaction w(&t.db());
    for (int i = 1; i <= 5; ++i)
        insertRow(w, i, QStringLiteral("Name %1").arg(i));
    w.commit();

    Transaction r(&t.db(), Transaction::readParams());
    Query q(&t.db(), &r);
    // :LO is used twice and bound once.
    q.setSql(QStringLiteral("select ID from T_DATA where ID >= :LO and ID < :LO + 3 @@Extra@ order by ID @@Dir@"));
    q.setParam(QStringLiteral("lo"), 2);
    q.open();
    QList<int> ids;
    for (; !q.eof(); q.next())
        ids << q.value(0).toInt();
    EXPECT_EQ(ids, (QList<int>{2, 3, 4}));

    q.setMacro(QStringLiteral("Extra"), QStringLiteral(" and ID <> 3"));
    q.setMacro(QStringLiteral("Dir"), QStringLiteral("desc"));
    q.open();
    ids.clear();
    for (; !q.eof(); q.next())
        ids << q.field(QStringLiteral("id")).asInteger();
    EXPECT_EQ(ids, (QList<int>{4, 2}));

    Query missing(&t.db(), &r);
    missing.setSql(QStringLiteral("select ID from T_DATA where ID = :NOPE"));
    EXPECT_THROW(missing.open(), DbError);
}

TEST(Query, TextIsStoredAsLatin1AndForeignCharactersAreRefused)
{
    TestDb t;
    createScratch(t.db());
    Transaction w(&t.db());
    const QStringList names{QStringLiteral("Müller"), QStringLiteral("Größe"), QStringLiteral("Ölwerk GmbH & Co."),
                            QStringLiteral("O'Neill; \"Zitat\"")};
    for (int i = 0; i < names.size(); ++i)
        insertRow(w, i + 1, names[i]);
    w.commit();
    Transaction r(&t.db(), Transaction::readParams());
    for (int i = 0; i < names.size(); ++i) {
        EXPECT_EQ(Query::selectValue(r, QStringLiteral("select NAME from T_DATA where ID = :ID"), {{QStringLiteral("ID"), i + 1}}).toString(),
                  names[i]);
    }
    // The database agrees on the characters: its own UPPER knows the umlauts and the length is
    // in characters, not bytes.
    EXPECT_EQ(Query::selectValue(r, QStringLiteral("select upper(NAME) from T_DATA where ID = 2")).toString(), QStringLiteral("GRÖßE"));
    EXPECT_EQ(Query::selectValue(r, QStringLiteral("select char_length(NAME) from T_DATA where ID = 1")).toInt(), 6);

    Transaction w2(&t.db());
    for (const QString &bad : {QStringLiteral("Preis 5 €"), QStringLiteral("Łódź")}) {
        try {
            insertRow(w2, 99, bad);
            FAIL() << "accepted " << bad.toStdString();
        } catch (const DbError &e) {
            EXPECT_EQ(e.kind(), DbError::Kind::Charset);
            EXPECT_TRUE(e.userMessage().contains(QStringLiteral("ISO 8859-1")));
        }
    }
    w2.rollback();
}

TEST(Query, MoneyTravelsExactly)
{
    TestDb t;
    createScratch(t.db());
    Transaction w(&t.db());
    Query q(&t.db(), &w);
    q.setSql(QStringLiteral("insert into T_DATA (ID, BETRAG) values (:ID, :B)"));
    const QLocale de(QLocale::German, QLocale::Germany);
    struct Case { int id; QString typed; QString stored; } cases[] = {
        {1, QStringLiteral("12,5"), QStringLiteral("12.5000")},
        {2, QStringLiteral("0,1"), QStringLiteral("0.1000")},
        {3, QStringLiteral("922.337.203.685.477,5807"), QStringLiteral("922337203685477.5807")},
        {4, QStringLiteral("-1.000,01"), QStringLiteral("-1000.0100")},
    };
    for (const Case &c : cases) {
        bool ok;
        const Decimal d = Decimal::parse(c.typed, 4, &ok, de);
        ASSERT_TRUE(ok) << c.typed.toStdString();
        q.setParam(QStringLiteral("ID"), c.id);
        q.setParam(QStringLiteral("B"), QVariant::fromValue(d));
        q.exec();
    }
    w.commit();
    Transaction r(&t.db(), Transaction::readParams());
    for (const Case &c : cases) {
        const QVariant v = Query::selectValue(r, QStringLiteral("select BETRAG from T_DATA where ID = :ID"), {{QStringLiteral("ID"), c.id}});
        ASSERT_EQ(v.typeId(), qMetaTypeId<Decimal>());
        EXPECT_EQ(v.value<Decimal>().toString(), c.stored);
    }
    // Sums stay exact: ten times 0.1 is 1.
    Transaction w2(&t.db());
    Query ins(&t.db(), &w2);
    ins.setSql(QStringLiteral("insert into T_DATA (ID, BETRAG) values (:ID, :B)"));
    for (int i = 0; i < 10; ++i) {
        ins.setParam(QStringLiteral("ID"), 100 + i);
        ins.setParam(QStringLiteral("B"), QVariant::fromValue(Decimal(1000, 4)));
        ins.exec();
    }
    w2.commit();
    EXPECT_EQ(Query::selectValue(r, QStringLiteral("select sum(BETRAG) from T_DATA where ID >= 100")).value<Decimal>().toString(),
              QStringLiteral("1.0000"));
}

TEST(Query, BlobsHoldMemoTextAndPictures)
{
    TestDb t;
    createScratch(t.db());
    QString memo;
    for (int i = 0; i < 3000; ++i)
        memo += QStringLiteral("Zeile %1: Naht offen, Größe 38 – ").arg(i).replace(QChar(0x2013), QLatin1Char('-')) + QLatin1Char('\n');
    QByteArray picture(100000, '\0');
    for (int i = 0; i < picture.size(); ++i)
        picture[i] = char(i * 7 % 256);
    Transaction w(&t.db());
    Query q(&t.db(), &w);
    q.setSql(QStringLiteral("insert into T_DATA (ID, MEMO, BILD) values (1, :M, :B)"));
    q.setParam(QStringLiteral("M"), memo);
    q.setParam(QStringLiteral("B"), picture);
    q.exec();
    w.commit();
    Transaction r(&t.db(), Transaction::readParams());
    Query s(&t.db(), &r);
    s.setSql(QStringLiteral("select MEMO, BILD from T_DATA where ID = 1"));
    s.open();
    ASSERT_FALSE(s.eof());
    EXPECT_EQ(s.value(0).toString(), memo);
    EXPECT_EQ(s.value(1).toByteArray(), picture);
}

TEST(Query, GeneratorsStepByOneOutsideTransactions)
{
    TestDb t;
    Transaction a(&t.db());
    const qint64 first = Query::selectValue(a, QStringLiteral("select gen_id(GEN_PERSON_ID, 1) from rdb$database")).toLongLong();
    a.rollback(); // generators are not undone
    Transaction b(&t.db());
    const qint64 second = Query::selectValue(b, QStringLiteral("select gen_id(GEN_PERSON_ID, 1) from rdb$database")).toLongLong();
    EXPECT_EQ(second, first + 1);
}

TEST(Query, TwoUsersUpdatingOneRowGetTheGermanConflictMessage)
{
    TestDb t;
    createScratch(t.db());
    {
        Transaction w(&t.db());
        insertRow(w, 1, QStringLiteral("alt"));
        w.commit();
    }
    auto other = t.attachAgain();
    Transaction mine(&t.db());
    Transaction theirs(other.get());
    Query q1(&t.db(), &mine);
    q1.setSql(QStringLiteral("update T_DATA set NAME = :N where ID = 1"));
    q1.setParam(QStringLiteral("N"), QStringLiteral("meins"));
    EXPECT_EQ(q1.exec(), 1);
    Query q2(other.get(), &theirs);
    q2.setSql(QStringLiteral("update T_DATA set NAME = :N where ID = 1"));
    q2.setParam(QStringLiteral("N"), QStringLiteral("deins"));
    try {
        q2.exec();
        FAIL() << "second update went through";
    } catch (const DbError &e) {
        EXPECT_EQ(e.kind(), DbError::Kind::UpdateConflict);
        EXPECT_TRUE(e.userMessage().startsWith(QStringLiteral("Der Datensatz wurde inzwischen von einem anderen Benutzer geändert")));
        EXPECT_FALSE(e.engineText().isEmpty());
    }
    mine.commit();
    theirs.rollback();
}

TEST(Query, ConstraintViolationsBecomeGermanMessages)
{
    TestDb t;
    createScratch(t.db());
    Transaction w(&t.db());
    insertRow(w, 1, QStringLiteral("a"));
    try {
        insertRow(w, 1, QStringLiteral("b"));
        FAIL();
    } catch (const DbError &e) {
        EXPECT_EQ(e.kind(), DbError::Kind::UniqueViolation);
    }
    try {
        insertRow(w, 2, QString(41, QLatin1Char('x')));
        FAIL();
    } catch (const DbError &e) {
        EXPECT_EQ(e.kind(), DbError::Kind::Conversion);
    }
    // The transaction is still usable after a failed statement.
    EXPECT_EQ(insertRow(w, 3, QStringLiteral("c")), 1);
    w.commit();
}

TEST(Database, UnreachableDatabasesGiveGermanMessages)
{
    QTemporaryDir dir;
    struct Case { QString conn; QString expect; } cases[] = {
        {dir.filePath(QStringLiteral("fehlt.fdb")), QStringLiteral("kann nicht geöffnet werden")},
        {QStringLiteral("127.0.0.1/1:/tmp/x.fdb"), QStringLiteral("kann nicht geöffnet werden")},
    };
    QFile junk(dir.filePath(QStringLiteral("kaputt.fdb")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(16384, 'x'));
    junk.close();
    for (const Case &c : cases) {
        Database d;
        ConnectionParams p;
        p.database = c.conn;
        d.setParams(p);
        try {
            d.open();
            FAIL() << c.conn.toStdString();
        } catch (const DbError &e) {
            EXPECT_EQ(e.kind(), DbError::Kind::ConnectFailed);
            EXPECT_TRUE(e.userMessage().contains(c.expect)) << e.userMessage().toStdString();
        }
    }
    Database d;
    ConnectionParams p;
    p.database = junk.fileName();
    d.setParams(p);
    EXPECT_THROW(d.open(), DbError);
}
