#include "platform/db/database.h"
#include "platform/db/dataset.h"
#include "platform/db/datasetmodel.h"
#include "platform/db/dberror.h"
#include "platform/db/query.h"
#include "platform/db/statement_p.h"
#include "platform/db/transaction.h"
#include "support/testdb.h"

#include <gtest/gtest.h>

#include <memory>

using namespace db;
using testing_fd::TestDb;

namespace {

// A small table of articles in the shape the record forms use: ID from a generator, time stamps
// and soft delete.
struct Fixture
{
    TestDb t;
    Transaction read{&t.db(), Transaction::readParams()};
    Transaction write{&t.db()};
    DataSet ds;

    explicit Fixture(int rows = 0)
    {
        t.db().executeImmediate(QStringLiteral(
            "create table T_ART (ID integer not null primary key, NAME varchar(40), PREIS numeric(18,4), "
            "DM timestamp, DD timestamp)"));
        t.db().executeImmediate(QStringLiteral("create generator GEN_T_ART_ID"));
        if (rows > 0) {
            t.db().executeImmediate(QStringLiteral(
                "execute block as declare i integer = 1; begin while (i <= %1) do begin "
                "insert into T_ART (ID, NAME, PREIS, DM) values (:i, 'Artikel ' || lpad(:i, 6, '0'), :i * 0.25, "
                "current_timestamp); i = i + 1; end end").arg(rows));
            t.db().executeImmediate(QStringLiteral("set generator GEN_T_ART_ID to %1").arg(rows));
        }
        ds.setTransaction(&read);
        ds.setUpdateTransaction(&write);
        ds.setSelectSql(QStringLiteral("select ID, NAME, PREIS, DM, DD from T_ART @@Where@ @@Order@"));
        ds.setInsertSql(QStringLiteral("insert into T_ART (ID, NAME, PREIS, DM) values (:ID, :NAME, :PREIS, :DM)"));
        ds.setUpdateSql(QStringLiteral(
            "update T_ART set NAME = :NAME, PREIS = :PREIS, DM = :DM, DD = :DD where ID = :OLD_ID "
            "and DM is not distinct from :OLD_DM"));
        ds.setDeleteSql(QStringLiteral("delete from T_ART where ID = :OLD_ID"));
        ds.setRefreshSql(QStringLiteral("select ID, NAME, PREIS, DM, DD from T_ART where ID = :ID"));
        ds.setGenerator(QStringLiteral("GEN_T_ART_ID"));
        ds.setAutoCommit(true);
        ds.setMacro(QStringLiteral("Where"), QStringLiteral("where DD is NULL"));
        ds.setMacro(QStringLiteral("Order"), QStringLiteral("order by ID"));
    }

    int count(const QString &where = QString())
    {
        Transaction r(&t.db(), Transaction::readParams());
        return Query::selectValue(r, QStringLiteral("select count(*) from T_ART ") + where).toInt();
    }
};

} // namespace

TEST(DataSet, LongListShowsFirstRowsWithoutReadingAll)
{
    Fixture f(20000);
    f.ds.setFetchBatch(50);
    f.ds.open();
    EXPECT_EQ(f.ds.recordCount(), 50);
    EXPECT_FALSE(f.ds.allFetched());
    EXPECT_EQ(f.ds.fieldByName(QStringLiteral("ID")).asInteger(), 1);

    DataSetModel model(&f.ds);
    EXPECT_EQ(model.rowCount(), 50);
    EXPECT_TRUE(model.canFetchMore(QModelIndex()));
    model.fetchMore(QModelIndex());
    EXPECT_EQ(model.rowCount(), 100);
    EXPECT_EQ(model.data(model.index(99, 1)).toString(), QStringLiteral("Artikel 000100"));
    EXPECT_EQ(model.data(model.index(9, 2)).toString(), QStringLiteral("2,5000"));

    // Locate reads on until it finds the row.
    ASSERT_TRUE(f.ds.locate(QStringLiteral("NAME"), QStringLiteral("artikel 004321"), DataSet::LocateCaseInsensitive));
    EXPECT_EQ(f.ds.fieldByName(QStringLiteral("ID")).asInteger(), 4321);
    EXPECT_FALSE(f.ds.allFetched());
    EXPECT_FALSE(f.ds.locate(QStringLiteral("ID"), 999999));
    EXPECT_TRUE(f.ds.allFetched());
    EXPECT_EQ(f.ds.fieldByName(QStringLiteral("ID")).asInteger(), 4321) << "a failed locate stays put";
    EXPECT_EQ(model.rowCount(), 20000);
}

TEST(DataSet, AppendPostsWithGeneratorAndCommitsAtOnce)
{
    Fixture f(3);
    int newRecordCalls = 0, afterPostCalls = 0;
    f.ds.onNewRecord = [&](DataSet &d) {
        ++newRecordCalls;
        d.fieldByName(QStringLiteral("DM")).setDateTime(QDateTime::currentDateTime());
    };
    f.ds.beforePost = [&](DataSet &d) {
        Field n = d.fieldByName(QStringLiteral("NAME"));
        n.setString(n.asString().trimmed());
    };
    f.ds.afterPost = [&](DataSet &) { ++afterPostCalls; };
    f.ds.open();
    f.ds.append();
    EXPECT_EQ(f.ds.state(), DataSet::Insert);
    f.ds.fieldByName(QStringLiteral("NAME")).setString(QStringLiteral("  Bluse Größe 38  "));
    f.ds.fieldByName(QStringLiteral("PREIS")).setText(QStringLiteral("12,5"));
    f.ds.post();
    EXPECT_EQ(f.ds.state(), DataSet::Browse);
    EXPECT_EQ(newRecordCalls, 1);
    EXPECT_EQ(afterPostCalls, 1);
    EXPECT_EQ(f.ds.fieldByName(QStringLiteral("ID")).asInteger(), 4);
    EXPECT_FALSE(f.write.isActive()) << "committed after post";
    // Another attachment sees the row at once.
    auto other = f.t.attachAgain();
    Transaction r(other.get(), Transaction::readParams());
    Query q(other.get(), &r);
    q.setSql(QStringLiteral("select NAME, PREIS from T_ART where ID = 4"));
    q.open();
    ASSERT_FALSE(q.eof());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("Bluse Größe 38"));
    EXPECT_EQ(q.value(1).value<Decimal>().toString(), QStringLiteral("12.5000"));
}

TEST(DataSet, EmptyTextIsStoredAsNullAndBadNumbersAreRefused)
{
    Fixture f(1);
    f.ds.open();
    f.ds.edit();
    f.ds.fieldByName(QStringLiteral("NAME")).setText(QString());
    EXPECT_TRUE(f.ds.fieldByName(QStringLiteral("NAME")).isNull());
    for (const QString &bad : {QStringLiteral("12,5,3"), QStringLiteral("zwölf")})
        EXPECT_THROW(f.ds.fieldByName(QStringLiteral("PREIS")).setText(bad), DbError);
    f.ds.post();
    EXPECT_EQ(f.count(QStringLiteral("where NAME is null")), 1);
}

TEST(DataSet, CancelDropsTheNewRowAndKeepsPosition)
{
    Fixture f(3);
    f.ds.open();
    f.ds.moveTo(1);
    f.ds.append();
    EXPECT_EQ(f.ds.recordCount(), 4);
    f.ds.cancel();
    EXPECT_EQ(f.ds.recordCount(), 3);
    EXPECT_EQ(f.ds.state(), DataSet::Browse);
    EXPECT_EQ(f.count(), 3);
}

TEST(DataSet, SoftDeleteThroughSilentAbortKeepsTheRow)
{
    Fixture f(3);
    f.ds.beforeDelete = [](DataSet &d) {
        d.edit();
        d.fieldByName(QStringLiteral("DD")).setDateTime(QDateTime::currentDateTime());
        d.fieldByName(QStringLiteral("DM")).setDateTime(QDateTime::currentDateTime());
        d.post();
        throw Abort();
    };
    f.ds.open();
    f.ds.moveTo(1);
    f.ds.del();
    EXPECT_EQ(f.count(), 3) << "nothing removed";
    EXPECT_EQ(f.count(QStringLiteral("where DD is not null")), 1);
    f.ds.reopen();
    EXPECT_EQ(f.ds.recordCount(), 2);
    EXPECT_FALSE(f.ds.locate(QStringLiteral("ID"), 2));
}

TEST(DataSet, HardDeleteMovesToNextOrPreviousRow)
{
    Fixture f(3);
    f.ds.open();
    f.ds.moveTo(1);
    f.ds.del();
    EXPECT_EQ(f.ds.fieldByName(QStringLiteral("ID")).asInteger(), 3);
    f.ds.del();
    EXPECT_EQ(f.ds.fieldByName(QStringLiteral("ID")).asInteger(), 1) << "the last row deleted: previous one";
    EXPECT_EQ(f.count(), 1);
}

TEST(DataSet, AllowedUpdateKindsAreEnforced)
{
    Fixture f(2);
    f.ds.setAllowedUpdateKinds(0);
    f.ds.open();
    EXPECT_THROW(f.ds.append(), DbError);
    EXPECT_THROW(f.ds.edit(), DbError);
    EXPECT_THROW(f.ds.del(), DbError);
    EXPECT_THROW(f.ds.fieldByName(QStringLiteral("NAME")).setString(QStringLiteral("x")), DbError);
    f.ds.setAllowedUpdateKinds(DataSet::ukModify);
    EXPECT_NO_THROW(f.ds.edit());
    f.ds.cancel();
    EXPECT_EQ(f.count(), 2);
}

TEST(DataSet, ChangeByAnotherUserIsAConflictAndTypedValuesStay)
{
    Fixture f(2);
    f.ds.open();
    f.ds.edit();
    f.ds.fieldByName(QStringLiteral("NAME")).setString(QStringLiteral("meine Änderung"));
    f.ds.fieldByName(QStringLiteral("DM")).setDateTime(QDateTime::currentDateTime().addSecs(5));
    // Meanwhile another user saves the same row.
    auto other = f.t.attachAgain();
    {
        Transaction w(other.get());
        Query q(other.get(), &w);
        q.setSql(QStringLiteral("update T_ART set NAME = 'fremd', DM = dateadd(1 minute to current_timestamp) where ID = 1"));
        q.exec();
        w.commit();
    }
    try {
        f.ds.post();
        FAIL() << "overwrote another user's change";
    } catch (const DbError &e) {
        EXPECT_EQ(e.kind(), DbError::Kind::UpdateConflict);
        EXPECT_TRUE(e.userMessage().contains(QStringLiteral("anderen Benutzer")));
    }
    EXPECT_EQ(f.ds.state(), DataSet::Edit);
    EXPECT_EQ(f.ds.fieldByName(QStringLiteral("NAME")).asString(), QStringLiteral("meine Änderung"));
    EXPECT_EQ(f.count(QStringLiteral("where NAME = 'fremd'")), 1);
    // Cancel, refresh, edit again: now it saves.
    f.ds.cancel();
    f.ds.refresh();
    EXPECT_EQ(f.ds.fieldByName(QStringLiteral("NAME")).asString(), QStringLiteral("fremd"));
    f.ds.edit();
    f.ds.fieldByName(QStringLiteral("NAME")).setString(QStringLiteral("meine Änderung"));
    f.ds.post();
    EXPECT_EQ(f.count(QStringLiteral("where NAME = 'meine Änderung'")), 1);
}

TEST(DataSet, LockedRowGivesConflictWithoutLosingInput)
{
    Fixture f(1);
    auto other = f.t.attachAgain();
    Transaction theirs(other.get());
    Query q(other.get(), &theirs);
    q.setSql(QStringLiteral("update T_ART set NAME = 'gesperrt' where ID = 1"));
    q.exec(); // not committed: the row is locked
    f.ds.open();
    f.ds.edit();
    f.ds.fieldByName(QStringLiteral("NAME")).setString(QStringLiteral("Eingabe"));
    try {
        f.ds.post();
        FAIL();
    } catch (const DbError &e) {
        EXPECT_EQ(e.kind(), DbError::Kind::UpdateConflict);
    }
    EXPECT_EQ(f.ds.fieldByName(QStringLiteral("NAME")).asString(), QStringLiteral("Eingabe"));
    theirs.rollback();
    f.ds.post();
    EXPECT_EQ(f.count(QStringLiteral("where NAME = 'Eingabe'")), 1);
}

TEST(DataSet, SortInMemoryKeepsTheCurrentRecord)
{
    Fixture f(0);
    Transaction w(&f.t.db());
    Query q(&f.t.db(), &w);
    q.setSql(QStringLiteral("insert into T_ART (ID, NAME, PREIS) values (:ID, :N, :P)"));
    const QList<std::tuple<int, QString, int>> rows{{1, QStringLiteral("Zwirn"), 3}, {2, QStringLiteral("Ärmel"), 1},
                                                   {3, QStringLiteral("apfel"), 2}, {4, QStringLiteral("Bund"), 2}};
    for (const auto &[id, n, p] : rows) {
        q.setParam(QStringLiteral("ID"), id);
        q.setParam(QStringLiteral("N"), n);
        q.setParam(QStringLiteral("P"), p);
        q.exec();
    }
    w.commit();
    f.ds.open();
    f.ds.locate(QStringLiteral("ID"), 4);
    f.ds.sort({QStringLiteral("NAME")});
    QStringList names;
    for (int i = 0; i < f.ds.recordCount(); ++i)
        names << f.ds.rowValue(i, 1).toString();
    EXPECT_EQ(names, (QStringList{QStringLiteral("apfel"), QStringLiteral("Ärmel"), QStringLiteral("Bund"), QStringLiteral("Zwirn")}));
    EXPECT_EQ(f.ds.fieldByName(QStringLiteral("ID")).asInteger(), 4);
    f.ds.sort({QStringLiteral("PREIS"), QStringLiteral("ID")}, {false, true});
    QList<int> ids;
    for (int i = 0; i < f.ds.recordCount(); ++i)
        ids << f.ds.rowValue(i, 0).toInt();
    EXPECT_EQ(ids, (QList<int>{1, 3, 4, 2}));
}

TEST(DataSet, ScrollEventsAndStatesFollowNavigation)
{
    Fixture f(3);
    QList<int> seen;
    f.ds.afterScroll = [&](DataSet &d) { seen << d.fieldByName(QStringLiteral("ID")).asInteger(); };
    f.ds.open();
    f.ds.next();
    f.ds.next();
    f.ds.next();
    EXPECT_TRUE(f.ds.eof());
    f.ds.first();
    EXPECT_EQ(seen, (QList<int>{1, 2, 3, 1}));
    // Moving while editing posts first.
    f.ds.edit();
    f.ds.fieldByName(QStringLiteral("NAME")).setString(QStringLiteral("geändert"));
    f.ds.next();
    EXPECT_EQ(f.ds.state(), DataSet::Browse);
    EXPECT_EQ(f.count(QStringLiteral("where NAME = 'geändert'")), 1);
}

TEST(DataSet, CommittingTheReadTransactionKeepsTheRows)
{
    Fixture f(300);
    f.ds.setFetchBatch(10);
    f.ds.open();
    f.read.commit();
    EXPECT_EQ(f.ds.recordCount(), 300);
    EXPECT_TRUE(f.ds.allFetched());
}

// Datasets keep their prepared selects in the attachment's pool: a second dataset with the same
// text while the first is open gets its own statement, a dataset reopened after it was destroyed
// reuses the kept one, and DDL in between empties the pool so that the new column shows.
TEST(DataSetStatementPool, SameTextTwiceOpenReuseAndDdl)
{
    Fixture f(5);
    const QString sql = QStringLiteral("select * from T_ART order by ID");
    auto make = [&]() {
        auto ds = std::make_unique<DataSet>();
        ds->setTransaction(&f.read);
        ds->setSelectSql(sql);
        return ds;
    };
    auto a = make(), b = make();
    a->open();
    b->open();
    a->moveTo(2);
    b->last();
    b->fetchAll();
    EXPECT_EQ(a->fieldByName(QStringLiteral("ID")).value().toInt(), 3);
    EXPECT_EQ(b->recordCount(), 5);
    EXPECT_EQ(b->fieldByName(QStringLiteral("ID")).value().toInt(), 5);
    a->next();
    EXPECT_EQ(a->fieldByName(QStringLiteral("ID")).value().toInt(), 4);
    a.reset();
    b.reset();
    StatementPool *pool = f.t.db().statementPool();
    EXPECT_EQ(pool->size(), 2);

    auto c = make();
    c->open();
    EXPECT_EQ(pool->size(), 1);
    c->fetchAll();
    EXPECT_EQ(c->recordCount(), 5);
    EXPECT_EQ(c->fieldCount(), 5);
    c.reset();
    EXPECT_EQ(pool->size(), 2);
    f.read.commit();

    f.t.db().executeImmediate(QStringLiteral("alter table T_ART add EXTRA varchar(10)"));
    EXPECT_EQ(pool->size(), 0);
    f.t.db().executeImmediate(QStringLiteral("update T_ART set EXTRA = 'neu' where ID = 1"));
    auto d = make();
    d->open();
    ASSERT_EQ(d->fieldCount(), 6);
    EXPECT_EQ(d->fieldByName(QStringLiteral("EXTRA")).value().toString(), QStringLiteral("neu"));
}
