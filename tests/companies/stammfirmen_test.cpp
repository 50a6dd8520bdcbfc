// The master page of the dossier on its own: created into a parent widget as the dossier does,
// told the company through its published properties.

#include "companiesfixture.h"

#include "host/shellware/dialogs.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <memory>

namespace {
class StammTest : public CompaniesTest
{
protected:
    void SetUp() override
    {
        CompaniesTest::SetUp();
        parent = std::make_unique<QWidget>();
        parent->resize(800, 500);
    }
    void TearDown() override
    {
        Modinfo::DestroyAllForms();
        parent.reset();
        CompaniesTest::TearDown();
    }
    TWin95Form *page(const QVariantList &args)
    {
        TWin95Form *f = Modinfo::CreateForm(QStringLiteral("TStammFirmenForm"), args, int(args.size()) - 1, parent.get());
        EXPECT_NE(f, nullptr);
        return f;
    }
    static db::DataSet *firma(TWin95Form *f) { return ds(f, "Firma"); }
    using CompaniesTest::firma;
    std::unique_ptr<QWidget> parent;
};
} // namespace

TEST_F(StammTest, OpenedWithCompanyAndTypeShowsItAndNewCompaniesTakeTheType)
{
    const qint64 id = CompaniesTest::firma(QStringLiteral("Weberei"), 4);
    const qint64 meier = person(QStringLiteral("Meier"), QStringLiteral("Hans"), 3);
    exec(QStringLiteral("update FIRMEN set PERSON_ID = %1 where ID = %2").arg(meier).arg(id));
    TWin95Form *f = page({QVariant(int(id)), QVariant(4)});
    EXPECT_EQ(f->property("Firmen_ID").toLongLong(), id);
    EXPECT_EQ(f->property("Firmen_Typ").toInt(), 4);
    EXPECT_EQ(child<QLineEdit>(f, "edKurzname")->text(), QStringLiteral("Weberei"));
    EXPECT_EQ(child<QLineEdit>(f, "edAnsprechpartner")->text(), QStringLiteral("Meier, Hans"));
    EXPECT_EQ(child<QLineEdit>(f, "edDurchwahl")->text(), QStringLiteral("030-77"));

    // The number is drawn before anything is typed; dropping the company does not return it.
    nav(f)->click(TExtNavigator::nbInsert);
    ASSERT_EQ(firma(f)->state(), db::DataSet::Insert);
    const QString first = firma(f)->fieldByName(QStringLiteral("NUMMER")).asString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{6}$")).match(first).hasMatch()) << first.toStdString();
    EXPECT_EQ(firma(f)->fieldByName(QStringLiteral("TYP")).value().toInt(), 4);
    nav(f)->click(TExtNavigator::nbCancel);
    nav(f)->click(TExtNavigator::nbInsert);
    const QString second = firma(f)->fieldByName(QStringLiteral("NUMMER")).asString();
    EXPECT_GT(second.toInt(), first.toInt());
    QTest::keyClicks(child<QLineEdit>(f, "edKurzname"), QStringLiteral("NEU"));
    QTest::keyClicks(child<QLineEdit>(f, "edName1"), QStringLiteral("Neue Spinnerei"));
    nav(f)->click(TExtNavigator::nbPost);
    // The new row is found again and becomes the page's company.
    const qint64 neu = f->property("Firmen_ID").toLongLong();
    ASSERT_GT(neu, id);
    EXPECT_EQ(sql(QStringLiteral("select NUMMER from FIRMEN where ID = %1").arg(neu)).toString(), second);
    EXPECT_EQ(sql(QStringLiteral("select TYP from FIRMEN where ID = %1").arg(neu)).toInt(), 4);
    EXPECT_EQ(sql(QStringLiteral("select BEZEICHNUNG from FIRMEN where ID = %1").arg(neu)).toString(), QStringLiteral("Neue Spinnerei"));
    EXPECT_EQ(sql(QStringLiteral("select count(*) from FIRMEN where NUMMER = '%1'").arg(first)).toInt(), 0);
    EXPECT_EQ(firma(f)->state(), db::DataSet::Browse);
    EXPECT_EQ(child<QLineEdit>(f, "edName1")->text(), QStringLiteral("Neue Spinnerei"));
}

TEST_F(StammTest, DeletingArchivesByNegativeType)
{
    struct Case { int typ; int archived; } cases[] = {{2, -2}, {3, -3}, {-4, -4}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typ);
        const qint64 id = CompaniesTest::firma(QStringLiteral("Archiv%1").arg(c.typ + 10), c.typ);
        TWin95Form *f = page({QVariant(int(id))});
        ASSERT_EQ(firma(f)->recordCount(), 1);
        Dialogs::expectQuestion(Dialogs::Yes);
        nav(f)->click(TExtNavigator::nbDelete);
        EXPECT_EQ(sql(QStringLiteral("select TYP from FIRMEN where ID = %1").arg(id)).toInt(), c.archived);
        EXPECT_TRUE(sql(QStringLiteral("select DD from FIRMEN where ID = %1").arg(id)).isNull());
        EXPECT_EQ(f->property("Firmen_ID").toLongLong(), 0);
        Modinfo::DestroyForm(f);
    }
}

TEST_F(StammTest, NamePropertiesSplitIntoShortNameAndName)
{
    const qint64 id = CompaniesTest::firma(QStringLiteral("Vorher"));
    TWin95Form *f = page({QVariant(int(id))});
    struct Case { const char *prop; const char *text; const char *kurz; const char *name1; } cases[] = {
        {"Firma_Name", "  MH, Modehaus Berlin ", "MH", "Modehaus Berlin"},
        {"Patient_Name", "Schulz Anna Maria", "Schulz", "Anna Maria"},
        {"Personal_Name", "Einwort", "Schulz", "Einwort"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.prop);
        f->setProperty(c.prop, QString::fromLatin1(c.text));
        EXPECT_TRUE(firma(f)->isEditing());
        EXPECT_EQ(firma(f)->fieldByName(QStringLiteral("KURZBEZEICHNUNG")).asString(), QString::fromLatin1(c.kurz));
        EXPECT_EQ(firma(f)->fieldByName(QStringLiteral("NAME1")).asString(), QString::fromLatin1(c.name1));
    }
    nav(f)->click(TExtNavigator::nbPost);
    EXPECT_EQ(sql(QStringLiteral("select NAME1 from FIRMEN where ID = %1").arg(id)).toString(), QStringLiteral("Einwort"));
}

TEST_F(StammTest, PostalCodeFollowsTheCountry)
{
    const qint64 id = CompaniesTest::firma(QStringLiteral("PLZ"));
    TWin95Form *f = page({QVariant(int(id))});
    struct Case { const char *land; const char *typed; const char *shown; } cases[] = {
        {"D", "12a3456", "12345"}, {"", "987654", "98765"}, {"CH", "CH-8001", "CH-8001"},
    };
    auto *land = child<QLineEdit>(f, "edLand");
    auto *plz = child<QLineEdit>(f, "edPlz");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.land);
        land->setFocus();
        land->selectAll();
        QTest::keyClick(land, Qt::Key_Backspace);
        QTest::keyClicks(land, QString::fromLatin1(c.land));
        plz->setFocus();
        plz->clear();
        QTest::keyClicks(plz, QString::fromLatin1(c.typed));
        EXPECT_EQ(plz->text(), QString::fromLatin1(c.shown));
    }
    firma(f)->cancel();
}
