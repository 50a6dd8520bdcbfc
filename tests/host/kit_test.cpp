// The record form of the module kit, driven through the test module: list and record in step,
// soft delete, saving, page change, characteristic fields, search box and destruction.

#include "hostfixture.h"

#include "host/shellware/cfg.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/extnavigator.h"
#include "host/shellware/modinfo.h"
#include "host/shellware/systools.h"
#include "host/shellware/user.h"
#include "platform/db/dataset.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

namespace {
struct Opened
{
    TWin95Form *form;
    db::DataSet *list;
    db::DataSet *record;
    TExtNavigator *nav;
};

Opened openForm(const QVariantList &args = {})
{
    TWin95Form *f = Modinfo::CreateAndRunForm(QStringLiteral("TTestRecordForm"), args, int(args.size()) - 1);
    return Opened{f, f->findChild<db::DataSet *>(QStringLiteral("FirmenList")), f->findChild<db::DataSet *>(QStringLiteral("Firmen")),
                  f->findChild<TExtNavigator *>(QStringLiteral("Navigator"))};
}
qint64 idOf(db::DataSet *ds) { return ds->fieldByName(QStringLiteral("ID")).value().toLongLong(); }
} // namespace

class KitTest : public HostTest
{
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        User::SetCurrentUser(QStringLiteral("admin"), 255, 1); // may edit
    }
};

TEST_F(KitTest, ListAndRecordStayOnTheSameRow)
{
    const int a = addFirma(QStringLiteral("Anton"));
    const int b = addFirma(QStringLiteral("Berta"));
    Opened o = openForm();
    ASSERT_TRUE(o.list->isOpen() && o.record->isOpen());
    EXPECT_EQ(idOf(o.list), a);
    EXPECT_EQ(idOf(o.record), a);
    o.list->next();
    EXPECT_EQ(idOf(o.record), b);
    o.record->locate(QStringLiteral("ID"), a);
    EXPECT_EQ(idOf(o.list), a);
    EXPECT_FALSE(o.form->GetLocked());
    // The search box moves the list, and the record follows.
    auto *search = o.form->findChild<QLineEdit *>(QStringLiteral("SuchEdit"));
    ASSERT_NE(search, nullptr);
    QTest::keyClicks(search, QStringLiteral("be"));
    EXPECT_EQ(idOf(o.list), b);
    EXPECT_EQ(idOf(o.record), b);
}

TEST_F(KitTest, SoftDeleteSetsDDAndMovesToTheNextRow)
{
    const int a = addFirma(QStringLiteral("Anton"));
    const int b = addFirma(QStringLiteral("Berta"));
    const int c = addFirma(QStringLiteral("Cäsar"));
    struct Case { int target; int next; } cases[] = {{b, c}, {c, a}};
    Opened o = openForm();
    for (const Case &k : cases) {
        Systools::SetCompOrdProp(o.form, QStringLiteral("Firmen_ID"), k.target);
        Dialogs::expectQuestion(Dialogs::Yes, QStringLiteral("löschen"));
        o.nav->click(TExtNavigator::nbDelete);
        EXPECT_FALSE(sql(QStringLiteral("select DD from FIRMEN where ID = %1").arg(k.target)).isNull());
        EXPECT_FALSE(sql(QStringLiteral("select DM from FIRMEN where ID = %1").arg(k.target)).isNull());
        EXPECT_FALSE(o.list->locate(QStringLiteral("ID"), k.target));
        EXPECT_EQ(idOf(o.list), k.next);
        EXPECT_EQ(idOf(o.record), k.next);
    }
    EXPECT_EQ(sql(QStringLiteral("select count(*) from FIRMEN")).toInt(), 3);
    // Answering No deletes nothing.
    Dialogs::expectQuestion(Dialogs::No, QStringLiteral("löschen"));
    o.nav->click(TExtNavigator::nbDelete);
    EXPECT_TRUE(sql(QStringLiteral("select DD from FIRMEN where ID = %1").arg(a)).isNull());
}

TEST_F(KitTest, SavingReopensTheListOnTheSavedRecord)
{
    addFirma(QStringLiteral("Anton"));
    const int b = addFirma(QStringLiteral("Berta"));
    Opened o = openForm({b});
    auto *name = o.form->findChild<QLineEdit *>(QStringLiteral("KURZBEZEICHNUNG"));
    // A changed sort key takes effect: Berta becomes "Aaron" and moves to the top.
    o.nav->click(TExtNavigator::nbEdit);
    name->setText(QStringLiteral("Aaron"));
    emit name->textEdited(name->text());
    o.nav->click(TExtNavigator::nbPost);
    EXPECT_EQ(o.list->recNo(), 0);
    EXPECT_EQ(idOf(o.list), b);
    EXPECT_EQ(sql(QStringLiteral("select KURZBEZEICHNUNG from FIRMEN where ID = %1").arg(b)).toString(), QStringLiteral("Aaron"));
    // A new record gets its ID from the generator, DC and DM, and is committed at once.
    o.nav->click(TExtNavigator::nbInsert);
    ASSERT_EQ(o.record->state(), db::DataSet::Insert);
    const qint64 id = idOf(o.record);
    EXPECT_GT(id, b);
    name->setText(QStringLiteral("Zeppelin"));
    emit name->textEdited(name->text());
    o.nav->click(TExtNavigator::nbPost);
    auto other = m_db->attachAgain();
    db::Transaction tr(other.get(), db::Transaction::readParams());
    tr.start();
    EXPECT_EQ(db::Query::selectValue(tr, QStringLiteral("select KURZBEZEICHNUNG from FIRMEN where ID = %1 and DC is not null and DM is not null").arg(id)).toString(),
              QStringLiteral("Zeppelin"));
    tr.commit();
    EXPECT_EQ(idOf(o.list), id);
}

TEST_F(KitTest, LeavingAPageWhileInsertingPostsTheNewRecord)
{
    addFirma(QStringLiteral("Anton"));
    Opened o = openForm({-1});
    ASSERT_EQ(o.record->state(), db::DataSet::Insert);
    const qint64 id = idOf(o.record);
    auto *name = o.form->findChild<QLineEdit *>(QStringLiteral("KURZBEZEICHNUNG"));
    name->setText(QStringLiteral("Neu"));
    emit name->textEdited(name->text());
    auto *pages = o.form->findChild<QTabWidget *>(QStringLiteral("PageControl"));
    pages->setCurrentIndex(1);
    EXPECT_EQ(pages->currentIndex(), 1);
    EXPECT_EQ(o.record->state(), db::DataSet::Edit);
    EXPECT_EQ(sql(QStringLiteral("select KURZBEZEICHNUNG from FIRMEN where ID = %1").arg(id)).toString(), QStringLiteral("Neu"));
    o.record->cancel();
}

TEST_F(KitTest, AFailedPostRefusesThePageChange)
{
    Opened o = openForm({-1});
    // A name longer than the column: the post fails, the page stays, the typed text stays.
    auto *name = o.form->findChild<QLineEdit *>(QStringLiteral("KURZBEZEICHNUNG"));
    name->setText(QString(60, QLatin1Char('x')));
    emit name->textEdited(name->text());
    Dialogs::expectMessage();
    auto *pages = o.form->findChild<QTabWidget *>(QStringLiteral("PageControl"));
    pages->setCurrentIndex(1);
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_EQ(o.record->state(), db::DataSet::Insert);
    EXPECT_EQ(name->text(), QString(60, QLatin1Char('x')));
    o.record->cancel();
}

TEST_F(KitTest, HostIniNamesTheCharacteristicFields)
{
    struct Case { const char *ini; bool show1; bool show2; const char *caption1; } cases[] = {
        {nullptr, false, false, ""},
        {"[TAndereForm]\nZusatz1=X\n", false, false, ""},
        {"[TTestRecordForm]\nZusatz1=Kostenstelle\nZusatz2=\n", true, false, "Kostenstelle"},
        {"[TTestRecordForm]\nZusatz1=Kostenstelle\nZusatz2=Region\n", true, true, "Kostenstelle"},
    };
    for (const Case &c : cases) {
        QFile::remove(Cfg::HostIniPath());
        if (c.ini) {
            QFile f(Cfg::HostIniPath());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.ini);
        }
        Opened o = openForm();
        const QList<QLabel *> labels = o.form->findChildren<QLabel *>();
        auto *z1 = o.form->findChild<QLineEdit *>(QStringLiteral("ZUSATZ1"));
        auto *z2 = o.form->findChild<QLineEdit *>(QStringLiteral("ZUSATZ2"));
        EXPECT_EQ(z1->isVisibleTo(o.form), c.show1) << (c.ini ? c.ini : "-");
        EXPECT_EQ(z2->isVisibleTo(o.form), c.show2) << (c.ini ? c.ini : "-");
        bool captionShown = false;
        for (QLabel *l : labels)
            captionShown = captionShown || (l->text() == QString::fromUtf8(c.caption1) && l->isVisibleTo(o.form) && c.show1);
        EXPECT_EQ(captionShown, c.show1);
        Modinfo::DestroyForm(o.form);
    }
}

TEST_F(KitTest, DestroyCommitsTheTransactionsAndClearsTheFormVariable)
{
    addFirma(QStringLiteral("Anton"));
    Opened o = openForm();
    auto *read = o.form->findChild<db::Transaction *>(QStringLiteral("TransRead"));
    ASSERT_TRUE(read->isActive());
    Modinfo::DestroyForm(o.form);
    EXPECT_TRUE(Modinfo::OpenForms(QStringLiteral("TTestRecordForm")).isEmpty());
    // The next call creates a new form instead of using a dead one.
    Opened again = openForm();
    EXPECT_EQ(again.form->property("Executes").toInt(), 1);
}
