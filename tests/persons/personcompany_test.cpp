// The person register restricted to one company, as the company dossier uses it: the published
// company ID narrows the list, lifts the restriction again and gives new persons the company.

#include "personfixture.h"

#include "host/shellware/extnavigator.h"
#include "host/shellware/win95form.h"
#include "platform/db/dataset.h"

#include <QComboBox>
#include <QLineEdit>

namespace {
// The IDs of the list in its order, the whole list fetched.
QList<qint64> listIds(db::DataSet *ds)
{
    QList<qint64> out;
    ds->fetchAll();
    const QVariant keep = ds->recordCount() > 0 ? ds->fieldByName(QStringLiteral("ID")).value() : QVariant();
    for (ds->first(); !ds->eof(); ds->next())
        out << ds->fieldByName(QStringLiteral("ID")).value().toLongLong();
    if (!keep.isNull())
        ds->locate(QStringLiteral("ID"), keep);
    return out;
}

void setCompany(TWin95Form *f, qint64 id) { ASSERT_TRUE(f->setProperty("Firmen_ID", QVariant(qlonglong(id)))); }
} // namespace

TEST_F(PersonTest, CompanyIdRestrictsTheListAndLiftsTheRestriction)
{
    const int nord = addFirma(QStringLiteral("Nord GmbH"), 3);
    const int sued = addFirma(QStringLiteral("Süd AG"), 3);
    const int zander = addPerson(QStringLiteral("Zander"), 3, QStringLiteral("Zoe"), nord);
    const int adler = addPerson(QStringLiteral("Adler"), 1, QStringLiteral("Anna"), nord);
    const int weg = addPerson(QStringLiteral("Berg"), 1, QStringLiteral("Bernd"), nord);
    exec(QStringLiteral("update PERSON set DD = current_timestamp where ID = %1").arg(weg));
    const int meier = addPerson(QStringLiteral("Meier"), 2, QStringLiteral("Max"), sued);
    const int ohne = addPerson(QStringLiteral("Ohnefirma"), 3);
    const QList<qint64> all{adler, meier, ohne, zander};

    TWin95Form *f = open();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->property("Firmen_ID").toLongLong(), 0);
    ASSERT_EQ(listIds(list(f)), all);

    struct Case { qint64 set; qint64 reads; QList<qint64> ids; } cases[] = {
        {nord, nord, {adler, zander}},   // the deleted person stays out
        {sued, sued, {meier}},
        {0, 0, all},
        {nord, nord, {adler, zander}},
        {-1, 0, all},                    // a page without company shows the whole register
        {999999, 999999, {}},            // a company without persons: empty list, no record
    };
    for (const Case &c : cases) {
        setCompany(f, c.set);
        EXPECT_EQ(f->property("Firmen_ID").toLongLong(), c.reads) << c.set;
        // A company moves the record to its first person.
        if (c.set > 0) {
            EXPECT_EQ(record(f)->recordCount() > 0 ? idOf(record(f)) : 0, c.ids.isEmpty() ? 0 : c.ids.first()) << c.set;
        }
        EXPECT_EQ(listIds(list(f)), c.ids) << c.set;
    }

    // The restriction works together with the type filter.
    setCompany(f, nord);
    auto *filter = f->findChild<QComboBox *>(QStringLiteral("cbTypWahl"));
    ASSERT_NE(filter, nullptr);
    const int arzt = filter->findText(QStringLiteral("Arzt"));
    ASSERT_GT(arzt, 0);
    ASSERT_TRUE(f->setProperty("TypWahl", arzt));
    EXPECT_EQ(listIds(list(f)), QList<qint64>{zander});
    setCompany(f, 0);
    EXPECT_EQ(listIds(list(f)), (QList<qint64>{ohne, zander}));
}

TEST_F(PersonTest, NewPersonOfARestrictedFormGetsTheCompany)
{
    const int nord = addFirma(QStringLiteral("Nord GmbH"), 3);
    const int vorhanden = addPerson(QStringLiteral("Vorhanden"), 3, QString(), nord);
    TWin95Form *f = open();
    setCompany(f, nord);
    ASSERT_EQ(idOf(record(f)), vorhanden);

    nav(f)->click(TExtNavigator::nbInsert);
    ASSERT_EQ(record(f)->state(), db::DataSet::Insert);
    const qint64 id = idOf(record(f));
    // The company field shows the company at once.
    EXPECT_EQ(edit(f, "edFirma")->text(), QStringLiteral("Nord GmbH"));
    type(edit(f, "edNachname"), QStringLiteral("Neumann"));
    nav(f)->click(TExtNavigator::nbPost);
    ASSERT_EQ(record(f)->state(), db::DataSet::Browse);
    EXPECT_EQ(sql(QStringLiteral("select FIRMEN_ID from PERSON where ID = %1").arg(id)).toLongLong(), nord);
    EXPECT_EQ(listIds(list(f)), (QList<qint64>{id, vorhanden}));

    // Without the restriction a new person has no company.
    setCompany(f, 0);
    nav(f)->click(TExtNavigator::nbInsert);
    const qint64 frei = idOf(record(f));
    type(edit(f, "edNachname"), QStringLiteral("Frei"));
    nav(f)->click(TExtNavigator::nbPost);
    ASSERT_EQ(record(f)->state(), db::DataSet::Browse);
    EXPECT_TRUE(sql(QStringLiteral("select FIRMEN_ID from PERSON where ID = %1").arg(frei)).isNull());
}
