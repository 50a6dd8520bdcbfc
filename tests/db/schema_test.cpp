#include "platform/db/database.h"
#include "platform/db/query.h"
#include "platform/db/schema.h"
#include "platform/db/transaction.h"
#include "support/testdb.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace db;
using testing_fd::TestDb;

TEST(Schema, NewDatabaseHasEveryTableGeneratorAndProcedure)
{
    TestDb t;
    Transaction r(&t.db(), Transaction::readParams());
    auto exists = [&](const QString &sql, const QString &name) {
        return Query::selectValue(r, sql, {{QStringLiteral("N"), name}}).toInt() > 0;
    };
    const QString rel = QStringLiteral("select count(*) from rdb$relations where rdb$relation_name = :N");
    for (const char *table :
         {"PERSON", "FIRMEN", "FILIALE", "ZAEHLRING", "APP$ZAEHLRING_SUBIDENT", "FEHLER", "FE_ART", "FKOSTEN", "DATEIEN",
          "FENOTIZ", "APP$FEARTEN", "APP$FILTER", "DOKUMENTE", "ARTIKEL", "STLISTE", "PREISE", "APP$FARBEN",
          "APP$ARTKURB", "MATERIAL", "APP$MATKURZN", "APP$KONFIGURATION", "APP$PERSONENTYP", "APP$FIRMENTYP",
          "APP$FEHLERTYPEN", "APP$FEHLERSTATUS", "APP$FEHLERURSACHE", "APP$FEHLERNOTIZFLAGS", "APP$FEKOSTENART",
          "APP$KOSTENTRAEGERTYP", "APP$FUNKTIONENPERSON", "ARTIKELMDB", "PREISMDB", "MATERIALMDB", "STLISTEMDB",
          "PERSONAL", "BEDARF", "FEFOLGEN", "LOG$PROTOKOLL", "SYS$LOCK", "APP$BENUTZER", "PAT_KONT", "PATIENT",
          "KTKLIENT", "QUALIFIK", "SYS$SCHEMA_VERSION"})
        EXPECT_TRUE(exists(rel, QString::fromLatin1(table))) << table;

    // Every user table with an ID column has its generator.
    Query q(&t.db(), &r);
    q.setSql(QStringLiteral(
        "select trim(r.rdb$relation_name) from rdb$relations r join rdb$relation_fields f "
        "on f.rdb$relation_name = r.rdb$relation_name and f.rdb$field_name = 'ID' "
        "where coalesce(r.rdb$system_flag, 0) = 0 and r.rdb$view_blr is null"));
    int tables = 0;
    for (q.open(); !q.eof(); q.next()) {
        ++tables;
        const QString gen = QStringLiteral("GEN_") + q.value(0).toString() + QStringLiteral("_ID");
        EXPECT_TRUE(exists(QStringLiteral("select count(*) from rdb$generators where rdb$generator_name = :N"), gen)) << gen.toStdString();
    }
    EXPECT_GT(tables, 30);

    const QString proc = QStringLiteral("select count(*) from rdb$procedures where rdb$procedure_name = :N");
    for (const char *p : {"SP_GET_NUMMER", "SP_GET_NUMMER_INTERN", "SP_SET_NUMMER", "SP_GET_FEHLERARTEN", "SP_GET_FKOSTEN",
                          "SP_IMPORT_ARTIKEL", "SP_IMPORT_MATERIAL", "SP_SET_GEN_TO_MAX_ID", "SP_GET_KTKLIENT",
                          "SP_GET_AVERTRAG"})
        EXPECT_TRUE(exists(proc, QString::fromLatin1(p))) << p;
}

TEST(Schema, DatabaseAssignsIdsAndKeepsThePersonName)
{
    TestDb t;
    Transaction w(&t.db());
    Query q(&t.db(), &w);
    struct Case { QVariant last, first; QString expected; } cases[] = {
        {QStringLiteral("Müller"), QStringLiteral("Anna"), QStringLiteral("Müller, Anna")},
        {QStringLiteral("Müller"), QVariant(), QStringLiteral("Müller")},
        {QVariant(), QStringLiteral("Anna"), QStringLiteral("Anna")},
    };
    for (const Case &c : cases) {
        q.setSql(QStringLiteral("insert into PERSON (NACHNAME, VORNAME) values (:L, :F) returning ID, PERSONEN_NAME"));
        q.setParam(QStringLiteral("L"), c.last);
        q.setParam(QStringLiteral("F"), c.first);
        q.exec();
        EXPECT_GT(q.value(0).toInt(), 0);
        EXPECT_EQ(q.value(1).toString(), c.expected);
    }
    w.commit();
}

TEST(Schema, ChangesOfMasterTablesAreProtocolled)
{
    TestDb t;
    Transaction r0(&t.db(), Transaction::readParams());
    const int before = Query::selectValue(r0, QStringLiteral("select count(*) from LOG$PROTOKOLL")).toInt();
    r0.commit();
    Transaction w(&t.db());
    Query q(&t.db(), &w);
    q.setSql(QStringLiteral("insert into PERSON (NACHNAME) values ('Protokoll') returning ID"));
    q.exec();
    const int id = q.value(0).toInt();
    q.setSql(QStringLiteral("update PERSON set VORNAME = 'Paul' where ID = :ID"));
    q.setParam(QStringLiteral("ID"), id);
    q.exec();
    q.setSql(QStringLiteral("delete from PERSON where ID = :ID"));
    q.exec();
    w.commit();
    Transaction r(&t.db(), Transaction::readParams());
    EXPECT_EQ(Query::selectValue(r, QStringLiteral("select count(*) from LOG$PROTOKOLL")).toInt(), before + 3);
}

TEST(Schema, OlderDatabaseIsUpgradedInPlaceKeepingItsData)
{
    const auto scripts = Schema::scripts(TestDb::schemaDir());
    ASSERT_GE(scripts.size(), 2);
    const int latest = scripts.last().version;
    const int previous = scripts[scripts.size() - 2].version;
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("alt.fdb"));
    TestDb::createAt(path, previous);
    Database d;
    ConnectionParams p;
    p.database = path;
    d.setParams(p);
    d.open();
    EXPECT_EQ(Schema::currentVersion(d), previous);
    {
        Transaction w(&d);
        Query q(&d, &w);
        q.setSql(QStringLiteral("insert into PERSON (NACHNAME) values ('Bestand')"));
        q.exec();
        w.commit();
    }
    EXPECT_EQ(Schema::upgrade(d, TestDb::schemaDir()), latest);
    EXPECT_EQ(Schema::currentVersion(d), latest);
    Transaction r(&d, Transaction::readParams());
    EXPECT_EQ(Query::selectValue(r, QStringLiteral("select count(*) from PERSON where NACHNAME = 'Bestand'")).toInt(), 1);
    r.commit();
    // A second run has nothing to do.
    EXPECT_EQ(Schema::upgrade(d, TestDb::schemaDir()), latest);
}
