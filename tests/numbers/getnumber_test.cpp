#include "host/recordware/datenmodul.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/systools.h"
#include "kit/numbers/uzaehlringe.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"
#include "support/testdb.h"

#include <QApplication>
#include <gtest/gtest.h>

using testing_fd::TestDb;

namespace {

struct Env
{
    TestDb t;
    QStringList unexpected;
    Env()
    {
        Dm::DatenModul()->setDatabase(&t.db());
        Dialogs::setScripted(true, [this](const QString &d) { unexpected << d; });
        Systools::Protocol::instance().clear();
    }
    ~Env()
    {
        TDMZaehlringe::release();
        Dm::DatenModul()->setDatabase(nullptr);
        Dialogs::clearExpectations();
        Dialogs::setScripted(false);
    }
    bool protocolHas(const QString &context, const QString &text = QString()) const
    {
        for (const auto &l : Systools::Protocol::instance().lines())
            if (l.context.startsWith(context) && l.text.contains(text))
                return true;
        return false;
    }
};

} // namespace

TEST(GetNumber, DrawsCommittedNumbersFromTheRange)
{
    Env e;
    TDMZaehlringe *dm = TDMZaehlringe::instance();
    const QDateTime now = QDateTime::currentDateTime();
    const QString a = dm->GetNumber(QStringLiteral("person"), true, now, 1);
    const QString b = dm->GetNumber(QStringLiteral("person"), true, now, 1);
    EXPECT_FALSE(a.isEmpty());
    EXPECT_FALSE(b.isEmpty());
    EXPECT_NE(a, b);
    EXPECT_FALSE(dm->transWrite()->isActive()) << "each allocation is committed on its own";
    // The counter moved in the database for everybody.
    auto other = e.t.attachAgain();
    db::Transaction r(other.get(), db::Transaction::readParams());
    const QVariant gen = db::Query::selectValue(
        r, QStringLiteral("select N from SP_GET_NUMMER_INTERN('GEN_NUMMER_' || (select ID from ZAEHLRING where IDENT = 'person' and SUB_IDENT = 1), 0)"));
    EXPECT_EQ(gen.toLongLong(), b.toLongLong());
    EXPECT_TRUE(e.unexpected.isEmpty());
}

TEST(GetNumber, ParametersFollowTheCallersFlags)
{
    Env e;
    TDMZaehlringe *dm = TDMZaehlringe::instance();
    struct Case { const char *ident; bool useSub; QDateTime date; int sub; bool number; } cases[] = {
        {"person", true, QDateTime::currentDateTime(), 2, true},
        // Without the sub-range flag SUB_IDENT is NULL: "person" has no general range.
        {"person", false, QDateTime::currentDateTime(), 2, false},
        // "firmen" has one general range: any sub-range finds it.
        {"firmen", true, QDateTime::currentDateTime(), 3, true},
        {"FIRMEN", false, QDateTime::currentDateTime(), 0, true},
        // No date (invalid, or the old empty date) means the range valid today.
        {"person", true, QDateTime(), 1, true},
        {"person", true, QDateTime(QDate(1899, 12, 30), QTime(0, 0)), 1, true},
        // A date outside every range's validity gives no number, without an error.
        {"person", true, QDateTime(QDate(1990, 1, 1), QTime(0, 0)), 1, false},
        {"gibtsnicht", true, QDateTime::currentDateTime(), 1, false},
    };
    for (const Case &c : cases) {
        const QString nr = dm->GetNumber(QString::fromLatin1(c.ident), c.useSub, c.date, c.sub);
        EXPECT_EQ(!nr.isEmpty(), c.number) << c.ident << " sub " << c.sub << " " << c.date.toString().toStdString() << " -> " << nr.toStdString();
    }
    EXPECT_TRUE(e.unexpected.isEmpty()) << e.unexpected.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(Systools::Protocol::instance().lines().isEmpty());
}

TEST(GetNumber, FailuresGiveAnEmptyNumberAndAReport)
{
    Env e;
    TDMZaehlringe *dm = TDMZaehlringe::instance();
    Dialogs::expectMessage(QStringLiteral("Es wurde kein Ident übergeben!"));
    EXPECT_TRUE(dm->GetNumber(QStringLiteral("   "), true, QDateTime::currentDateTime(), 1).isEmpty());
    EXPECT_TRUE(e.protocolHas(QStringLiteral("uZaehlringe.TdmZaehlringe.GetNumber"), QStringLiteral("Es wurde kein Ident übergeben!")));
    EXPECT_FALSE(e.protocolHas(QStringLiteral("uZaehlringe.GetNumber()")));

    // A database failure: reported quietly inside, then once more as the last word.
    Systools::Protocol::instance().clear();
    e.t.db().close();
    Dialogs::expectMessage();
    EXPECT_TRUE(dm->GetNumber(QStringLiteral("person"), true, QDateTime::currentDateTime(), 1).isEmpty());
    EXPECT_TRUE(e.protocolHas(QStringLiteral("uZaehlringe.GetNumber()")));
    EXPECT_TRUE(e.protocolHas(QStringLiteral("uZaehlringe.TdmZaehlringe.GetNumber")));
    EXPECT_EQ(Dialogs::pendingExpectations(), 0);
    EXPECT_TRUE(e.unexpected.isEmpty()) << e.unexpected.join(QLatin1Char('\n')).toStdString();
}

TEST(GetNumber, TheDataModuleIsOneSharedInstanceUntilReleased)
{
    Env e;
    TDMZaehlringe *a = TDMZaehlringe::instance();
    EXPECT_EQ(TDMZaehlringe::instance(), a);
    TDMZaehlringe::release();
    EXPECT_FALSE(TDMZaehlringe::exists());
    EXPECT_FALSE(TDMZaehlringe::instance()->GetNumber(QStringLiteral("firmen"), false, QDateTime::currentDateTime(), 0).isEmpty());
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
