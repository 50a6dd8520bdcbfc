// The data package: generators, lookup and global lists, re-binding to the shared attachment.

#include "hostfixture.h"

#include "host/recordware/datenmodul.h"
#include "platform/db/dataset.h"
#include "platform/db/dberror.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"

using DatenModulTest = HostTest;

TEST_F(DatenModulTest, GeneratorIncrementsAndReturnsTheNewValue)
{
    const qint64 before = sql(QStringLiteral("select gen_id(GEN_FIRMEN_ID, 0) from rdb$database")).toLongLong();
    EXPECT_EQ(Dm::DatenModul()->Generator(QStringLiteral("GEN_FIRMEN_ID"), 1), before + 1);
    EXPECT_EQ(Dm::DatenModul()->Generator(QStringLiteral("GEN_FIRMEN_ID"), 1), before + 2);
    EXPECT_EQ(sql(QStringLiteral("select gen_id(GEN_FIRMEN_ID, 0) from rdb$database")).toLongLong(), before + 2);
    for (const char *bad : {"GEN_X; drop table FIRMEN", "", "1GEN", "GEN X"})
        EXPECT_THROW(Dm::DatenModul()->Generator(QString::fromUtf8(bad), 1), db::DbError) << bad;
}

TEST_F(DatenModulTest, LookupListsCarryTheIDsInSortOrderAndOnlyActiveEntries)
{
    exec(QStringLiteral("update APP$FIRMENTYP set AKTIV = 0 where ID = 4"));
    exec(QStringLiteral("update APP$FIRMENTYP set SORTIERUNG = -1 where ID = 3"));
    TStrings list;
    list.AddObject(QStringLiteral("alt"), 99);
    Dm::DatenModul()->GetStrings(QStringLiteral("APP$Firmentyp"), list, 0);
    EXPECT_EQ(list.IndexOf(QStringLiteral("alt")), -1);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Strings(0), QStringLiteral("Kunde"));
    EXPECT_EQ(list.Objects(0), 3);
    EXPECT_EQ(list.IndexOfObject(4), -1);
    EXPECT_EQ(list.TextOf(1), QStringLiteral("Kostenträger"));
    TStrings same;
    Dm::DatenModul()->GetStrings(QStringLiteral("APP$FIRMENTYP"), same, 1);
    EXPECT_EQ(same.Texts(), list.Texts());
    EXPECT_THROW(Dm::DatenModul()->GetStrings(QStringLiteral("FIRMEN"), list, 0), db::DbError);
}

TEST_F(DatenModulTest, GlobalListsByName)
{
    TStrings anrede, pages, kt;
    Dm::DatenModul()->GetGlobalStrings(QStringLiteral("Anrede"), anrede, 0);
    ASSERT_EQ(anrede.Count(), 2);
    EXPECT_NE(anrede.Objects(anrede.IndexOf(QStringLiteral("Herr"))), 0);
    EXPECT_EQ(anrede.Objects(anrede.IndexOf(QStringLiteral("Frau"))), 0);
    Dm::DatenModul()->GetGlobalStrings(QStringLiteral("Betriebsmappe"), pages, 5);
    ASSERT_GE(pages.Count(), 3);
    EXPECT_TRUE(pages.Strings(0).startsWith(QLatin1Char('@')));
    EXPECT_TRUE(pages.Texts().contains(QStringLiteral("Stammdaten=TStammFirmenForm")));
    EXPECT_TRUE(pages.Texts().contains(QStringLiteral("(Firma,1)")));
    Dm::DatenModul()->GetGlobalStrings(QStringLiteral("APP$KOSTENTRAEGERTYP"), kt, 0);
    EXPECT_EQ(kt.TextOf(8), QStringLiteral("Beihilfestelle"));
    TStrings none;
    Dm::DatenModul()->GetGlobalStrings(QStringLiteral("gibt es nicht'; --"), none, 0);
    EXPECT_EQ(none.Count(), 0);
}

TEST_F(DatenModulTest, SetupConnectionsBindsTransactionsAndDatasetsToTheSharedAttachment)
{
    auto other = m_db->attachAgain();
    QObject form;
    auto *tr = new db::Transaction(other.get(), db::Transaction::readParams(), &form);
    auto *ds = new db::DataSet(&form);
    ds->setDatabase(other.get());
    ds->setTransaction(tr);
    ds->setSelectSql(QStringLiteral("select count(*) from FIRMEN"));
    auto *q = new db::Query(nullptr, tr, &form);
    EXPECT_EQ(Dm::DatenModul()->SetupConnections(&form, nullptr), 3);
    EXPECT_EQ(tr->database(), &m_db->db());
    EXPECT_EQ(ds->database(), &m_db->db());
    EXPECT_EQ(q->database(), &m_db->db());
    ds->open();
    EXPECT_TRUE(ds->isOpen());
    EXPECT_EQ(Dm::DatenModul()->SetupConnections(&form, nullptr), 0);
}
