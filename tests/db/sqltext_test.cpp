#include "platform/db/schema.h"
#include "platform/db/sqltext.h"

#include <gtest/gtest.h>

using namespace db;

TEST(SqlText, MacrosAreFilledByNameAndEmptyOnesVanish)
{
    const QString sql = QStringLiteral("select * from PERSON @@Where@ @@FILTER@ @@Order%order by ID@");
    struct Case { QHash<QString, QString> macros; QString expected; } cases[] = {
        {{}, QStringLiteral("select * from PERSON   order by ID")},
        {{{QStringLiteral("WHERE"), QStringLiteral("where DD is NULL")},
          {QStringLiteral("FILTER"), QStringLiteral(" and (Typ = 2)")},
          {QStringLiteral("ORDER"), QStringLiteral("order by NACHNAME")}},
         QStringLiteral("select * from PERSON where DD is NULL  and (Typ = 2) order by NACHNAME")},
        {{{QStringLiteral("ORDER"), QString()}}, QStringLiteral("select * from PERSON   ")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(applyMacros(sql, c.macros), c.expected);
    // Inside a literal an "@@" is data, not a macro.
    EXPECT_EQ(applyMacros(QStringLiteral("select '@@Where@' from X @@Where@"), {{QStringLiteral("WHERE"), QStringLiteral("w")}}),
              QStringLiteral("select '@@Where@' from X w"));
    EXPECT_EQ(macroNames(sql), (QStringList{QStringLiteral("WHERE"), QStringLiteral("FILTER"), QStringLiteral("ORDER")}));
}

TEST(SqlText, NamedParametersBecomeMarkersOutsideLiteralsAndComments)
{
    const ParsedSql p = parseParams(QStringLiteral(
        "update T set A = :A, B = ':NOT' /* :NOR */ -- :NEITHER\n where ID = :OLD_ID and X = :a and \"C:D\" = 1"));
    EXPECT_EQ(p.sql, QStringLiteral("update T set A = ?, B = ':NOT' /* :NOR */ -- :NEITHER\n where ID = ? and X = ? and \"C:D\" = 1"));
    EXPECT_EQ(p.paramNames, (QStringList{QStringLiteral("A"), QStringLiteral("OLD_ID"), QStringLiteral("A")}));
}

TEST(SqlText, ScriptSplitterHonoursSetTermQuotesAndComments)
{
    const QString script = QStringLiteral(
        "-- heading; with a semicolon\n"
        "CREATE TABLE T (ID INTEGER, S VARCHAR(10) DEFAULT ';');\n"
        "SET TERM ^ ;\n"
        "CREATE PROCEDURE P RETURNS (X INTEGER) AS BEGIN X = 1; SUSPEND; END^\n"
        "SET TERM ; ^\n"
        "COMMIT;\n"
        "/* block; comment */ INSERT INTO T VALUES (1, 'a;b');\n");
    const QStringList s = Schema::splitStatements(script);
    ASSERT_EQ(s.size(), 3);
    EXPECT_TRUE(s[0].startsWith(QLatin1String("CREATE TABLE T")));
    EXPECT_TRUE(s[1].contains(QLatin1String("X = 1; SUSPEND; END")));
    EXPECT_TRUE(s[2].endsWith(QLatin1String("VALUES (1, 'a;b')")));
}
