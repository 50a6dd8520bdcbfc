// The article master: arguments and filters, the external number, new and deleted articles,
// lookup lists, the timer that merges fast navigation and the two detail pages.

#include "articlesfixture.h"

#include "host/shellware/dialogs.h"
#include "host/shellware/extnavigator.h"
#include "host/shellware/systools.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QHeaderView>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

namespace {
struct Form
{
    TWin95Form *form;
    db::DataSet *list, *artikel;
    TExtNavigator *nav;
    qint64 current() const { return Systools::GetCompOrdProp(form, QStringLiteral("Artikel_ID")); }
};

Form openWarenstamm(const QVariantList &args = {})
{
    TWin95Form *f = Modinfo::CreateAndRunForm(QStringLiteral("TWarenstammForm"), args, int(args.size()) - 1);
    EXPECT_NE(f, nullptr);
    return Form{f, f->findChild<db::DataSet *>(QStringLiteral("ArtikelList")), f->findChild<db::DataSet *>(QStringLiteral("Artikel")),
                f->findChild<TExtNavigator *>(QStringLiteral("Navigator"))};
}

void typeInto(QWidget *form, const char *name, const QString &text)
{
    auto *e = form->findChild<QLineEdit *>(QString::fromLatin1(name));
    ASSERT_NE(e, nullptr) << name;
    e->setText(text);
    emit e->textEdited(text);
}
} // namespace

class WarenstammTest : public ArticlesTest
{
protected:
    void SetUp() override
    {
        ArticlesTest::SetUp();
        rot = farbe(QStringLiteral("Rot"));
        blau = farbe(QStringLiteral("Blau"));
        farbe(QStringLiteral("   "));
        jacke = kurzb(QStringLiteral("Jacke"));
        hose = kurzb(QStringLiteral("Hose"));
        kurzb(QString());
        anorak = artikel(QStringLiteral("Anorak"), rot, jacke);
        bluse = artikel(QStringLiteral("Bluse"), blau, hose);
        cape = artikel(QStringLiteral("Cape"), rot, hose);
        alt = artikel(QStringLiteral("Altbestand"), rot, jacke, 0);
    }
    qint64 rot = 0, blau = 0, jacke = 0, hose = 0;
    qint64 anorak = 0, bluse = 0, cape = 0, alt = 0;
};

TEST_F(WarenstammTest, ArgumentsSelectTheArticleAndTheColourFilter)
{
    struct Case
    {
        const char *what;
        QVariantList args;
        qint64 expect;
        QString colour;
        int rows;
    };
    const QString all = QStringLiteral("< alle Farben >");
    const Case cases[] = {
        {"no arguments", {}, anorak, all, 3},
        {"listed article", {QVariant(qlonglong(cape))}, cape, all, 3},
        {"inactive article", {QVariant(qlonglong(alt))}, anorak, all, 3},
        {"excluded by colour", {QVariant(qlonglong(bluse)), QStringLiteral("Rot")}, anorak, QStringLiteral("Rot"), 2},
        {"unknown colour", {QVariant(qlonglong(cape)), QStringLiteral("Lila")}, cape, all, 3},
    };
    for (const Case &c : cases) {
        Form f = openWarenstamm(c.args);
        auto *colours = f.form->findChild<QComboBox *>(QStringLiteral("cbFarbFilter"));
        EXPECT_EQ(f.current(), c.expect) << c.what;
        EXPECT_EQ(idOf(f.artikel), c.expect) << c.what;
        EXPECT_EQ(idOf(f.list), c.expect) << c.what;
        EXPECT_EQ(colours->currentText(), c.colour) << c.what;
        EXPECT_EQ(column(f.list, "BEZEICHNUNG").size(), c.rows) << c.what;
        EXPECT_EQ(f.form->StatusHint(), QStringLiteral("%1 Artikel").arg(c.rows)) << c.what;
        EXPECT_EQ(f.form->findChild<QTabWidget *>(QStringLiteral("PageControl"))->currentIndex(), 0);
        Modinfo::DestroyForm(f.form);
    }
}

TEST_F(WarenstammTest, AnEmptyListLeavesNoCurrentArticle)
{
    exec(QStringLiteral("update ARTIKEL set AKTIV = 0"));
    Form f = openWarenstamm();
    EXPECT_EQ(f.current(), 0);
    EXPECT_TRUE(f.artikel->isOpen());
    EXPECT_EQ(f.artikel->recordCount(), 0);
    EXPECT_EQ(f.form->StatusHint(), QStringLiteral("0 Artikel"));
}

TEST_F(WarenstammTest, ExternalNumberIsRebuiltBeforeEveryPost)
{
    struct Case { const char *form, *qual, *fb, *expect; } cases[] = {
        {"1234", "56", "7", "001234-0056-0007"},
        {"", "", "", "000000-0000-0000"},
        {"999999", "9999", "9999", "999999-9999-9999"},
        {"5", "", "12", "000005-0000-0012"},
    };
    Form f = openWarenstamm({QVariant(qlonglong(bluse))});
    for (const Case &c : cases) {
        f.nav->click(TExtNavigator::nbEdit);
        ASSERT_EQ(f.artikel->state(), db::DataSet::Edit);
        typeInto(f.form, "AFFORM", QString::fromLatin1(c.form));
        typeInto(f.form, "AFQUAL", QString::fromLatin1(c.qual));
        typeInto(f.form, "AFFB", QString::fromLatin1(c.fb));
        f.nav->click(TExtNavigator::nbPost);
        EXPECT_EQ(sql(QStringLiteral("select DIZEVAVO from ARTIKEL where ID = %1").arg(bluse)).toString(), QLatin1String(c.expect));
        EXPECT_EQ(f.form->findChild<QLineEdit *>(QStringLiteral("DIZEVAVO"))->text(), QLatin1String(c.expect));
    }
    // The number edits refuse what cannot be a part of the number.
    auto *afform = f.form->findChild<QLineEdit *>(QStringLiteral("AFFORM"));
    afform->clear();
    QTest::keyClicks(afform, QStringLiteral("-12x34567"));
    EXPECT_EQ(afform->text(), QStringLiteral("123456"));
}

TEST_F(WarenstammTest, NumberPartsOutOfRangeAreRefusedAndNothingIsLost)
{
    struct Case { const char *field; qint64 value; const char *message; } cases[] = {
        {"AFFORM", 1234567, "Modellnummer"},
        {"AFFORM", -1, "Modellnummer"},
        {"AFQUAL", 10000, "Qualitätsnummer"},
        {"AFFB", -7, "Farbnummer"},
    };
    exec(QStringLiteral("update ARTIKEL set DIZEVAVO = '000001-0002-0003', AFFORM = 1, AFQUAL = 2, AFFB = 3 where ID = %1").arg(cape));
    Form f = openWarenstamm({QVariant(qlonglong(cape))});
    for (const Case &c : cases) {
        f.nav->click(TExtNavigator::nbEdit);
        typeInto(f.form, "BEZEICHNUNG", QStringLiteral("Cape lang"));
        f.artikel->fieldByName(QString::fromLatin1(c.field)).setValue(QVariant(qlonglong(c.value)));
        Dialogs::expectMessage(QString::fromUtf8(c.message));
        f.nav->click(TExtNavigator::nbPost);
        EXPECT_EQ(Dialogs::pendingExpectations(), 0) << c.field;
        EXPECT_EQ(f.artikel->state(), db::DataSet::Edit) << c.field;
        EXPECT_EQ(f.artikel->fieldByName(QStringLiteral("BEZEICHNUNG")).asString(), QStringLiteral("Cape lang"));
        EXPECT_EQ(sql(QStringLiteral("select BEZEICHNUNG || '/' || DIZEVAVO from ARTIKEL where ID = %1").arg(cape)).toString(),
                  QStringLiteral("Cape/000001-0002-0003"));
        f.artikel->cancel();
    }
}

TEST_F(WarenstammTest, NewArticleTakesTheFiltersAndIsCommittedAtOnce)
{
    Form f = openWarenstamm();
    auto *colours = f.form->findChild<QComboBox *>(QStringLiteral("cbFarbFilter"));
    auto *groups = f.form->findChild<QComboBox *>(QStringLiteral("cbKurzbFilter"));
    choose(colours, QStringLiteral("Blau"));
    choose(groups, QStringLiteral("Jacke"));
    EXPECT_EQ(f.list->recordCount(), 0);
    f.nav->click(TExtNavigator::nbInsert);
    ASSERT_EQ(f.artikel->state(), db::DataSet::Insert);
    EXPECT_EQ(f.artikel->fieldByName(QStringLiteral("FARBE_ID")).asInt64(), blau);
    EXPECT_EQ(f.artikel->fieldByName(QStringLiteral("KURZB_ID")).asInt64(), jacke);
    EXPECT_EQ(f.form->findChild<QComboBox *>(QStringLiteral("FARBE_ID"))->currentText(), QStringLiteral("Blau"));
    typeInto(f.form, "BEZEICHNUNG", QStringLiteral("Daunenjacke"));
    typeInto(f.form, "AFFORM", QStringLiteral("12"));
    f.nav->click(TExtNavigator::nbPost);
    ASSERT_EQ(f.artikel->state(), db::DataSet::Browse);
    const qint64 id = f.current();
    EXPECT_GT(id, alt);
    EXPECT_EQ(idOf(f.list), id);
    auto other = m_db->attachAgain();
    db::Transaction tr(other.get(), db::Transaction::readParams());
    tr.start();
    EXPECT_EQ(db::Query::selectValue(tr, QStringLiteral("select BEZEICHNUNG || '|' || DIZEVAVO || '|' || AKTIV || '|' || FARBE_ID "
                                                         "|| '|' || KURZB_ID from ARTIKEL where DC is not null and ID = %1").arg(id))
                  .toString(),
              QStringLiteral("Daunenjacke|000012-0000-0000|1|%1|%2").arg(blau).arg(jacke));
    tr.commit();
}

TEST_F(WarenstammTest, DeleteSwitchesTheArticleInactiveAndMovesOn)
{
    const qint64 fehler = ins(QStringLiteral("insert into FEHLER (ARTIKEL_ID) values (%1)").arg(bluse));
    Form f = openWarenstamm({QVariant(qlonglong(bluse))});
    struct Case { qint64 target, next; } cases[] = {{bluse, cape}, {cape, anorak}};
    for (const Case &c : cases) {
        Systools::SetCompOrdProp(f.form, QStringLiteral("Artikel_ID"), c.target);
        f.list->locate(QStringLiteral("ID"), c.target);
        Dialogs::expectQuestion(Dialogs::Yes, QStringLiteral("löschen"));
        f.nav->click(TExtNavigator::nbDelete);
        EXPECT_EQ(sql(QStringLiteral("select AKTIV from ARTIKEL where ID = %1").arg(c.target)).toInt(), 0);
        EXPECT_FALSE(f.list->locate(QStringLiteral("ID"), c.target));
        EXPECT_EQ(f.current(), c.next);
        EXPECT_EQ(idOf(f.list), c.next);
        EXPECT_EQ(idOf(f.artikel), c.next);
    }
    EXPECT_EQ(sql(QStringLiteral("select count(*) from ARTIKEL")).toInt(), 4);
    EXPECT_EQ(sql(QStringLiteral("select ARTIKEL_ID from FEHLER where ID = %1").arg(fehler)).toLongLong(), bluse);
}

TEST_F(WarenstammTest, LookupListsSkipBlankNamesAndKeepOneAllEntry)
{
    Form f = openWarenstamm({QVariant(qlonglong(cape))});
    const QStringList colours{QStringLiteral("< alle Farben >"), QStringLiteral("Blau"), QStringLiteral("Rot")};
    const QStringList groups{QStringLiteral("< alle Kurzbez. >"), QStringLiteral("Hose"), QStringLiteral("Jacke")};
    farbe(QStringLiteral("Grün"));
    // A notification without the lookup bit rebuilds nothing.
    Modinfo::BroadcastGlobalChanged(1);
    EXPECT_EQ(items(f.form->findChild<QComboBox *>(QStringLiteral("cbFarbFilter"))), colours);
    Modinfo::BroadcastGlobalChanged(2);
    Modinfo::BroadcastGlobalChanged(2);
    const QStringList withGreen{QStringLiteral("< alle Farben >"), QStringLiteral("Blau"), QStringLiteral("Grün"), QStringLiteral("Rot")};
    EXPECT_EQ(items(f.form->findChild<QComboBox *>(QStringLiteral("cbFarbFilter"))), withGreen);
    EXPECT_EQ(items(f.form->findChild<QComboBox *>(QStringLiteral("FARBE_ID"))), withGreen);
    EXPECT_EQ(items(f.form->findChild<QComboBox *>(QStringLiteral("cbKurzbFilter"))), groups);
    EXPECT_EQ(items(f.form->findChild<QComboBox *>(QStringLiteral("KURZB_ID"))), groups);
    // The lookup columns of the article show the entries' texts.
    EXPECT_EQ(f.form->findChild<QComboBox *>(QStringLiteral("FARBE_ID"))->currentText(), QStringLiteral("Rot"));
    EXPECT_EQ(f.form->findChild<QComboBox *>(QStringLiteral("KURZB_ID"))->currentText(), QStringLiteral("Hose"));
    EXPECT_EQ(f.artikel->fieldByName(QStringLiteral("FARBE_ID")).displayText(), QStringLiteral("Rot"));
}

TEST_F(WarenstammTest, FastNavigationLoadsTheArticleOnce)
{
    exec(QStringLiteral("execute block as declare i integer = 0; begin while (i < 60) do begin "
                        "insert into ARTIKEL (BEZEICHNUNG, AKTIV) values ('Z' || lpad(:i, 3, '0'), 1); i = i + 1; end end"));
    Form f = openWarenstamm();
    ASSERT_EQ(f.current(), anorak);
    int loads = 0;
    f.artikel->afterOpen = [&loads](db::DataSet &) { ++loads; };
    for (int i = 0; i < 50; ++i)
        f.list->next();
    EXPECT_EQ(loads, 0);
    const qint64 target = idOf(f.list);
    QTest::qWait(150);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(f.current(), target);
    EXPECT_EQ(idOf(f.artikel), target);
    // Standing on the loaded row, a further timer run loads nothing.
    QTest::qWait(150);
    EXPECT_EQ(loads, 1);
    f.artikel->afterOpen = nullptr;
}

TEST_F(WarenstammTest, DetailPagesShowTheBillOfMaterialsAndTheCustomers)
{
    const qint64 futter = matKurz(QStringLiteral("Futter"));
    const qint64 lieferer = ins(QStringLiteral("insert into FIRMEN (BEZEICHNUNG, TYP) values ('Stoff' || ascii_char(13) || ascii_char(10) || 'GmbH', 2)"));
    const qint64 baumwolle = material(QStringLiteral("Baumwolle"), QString(), lieferer, futter, QStringLiteral("fein"));
    const qint64 knopf = material(QStringLiteral("Knopf"), QStringLiteral("rund"), lieferer, 0);
    const qint64 ohneLieferer = material(QStringLiteral("Garn"), QString(), 0, futter);
    auto pos = [&](qint64 mat, int p, double verbrauch) {
        ins(QStringLiteral("insert into STLISTE (ARTIKEL_ID, MATERIAL_ID, POS, VERBRAUCH, MSTGROESSE) values (%1, %2, %3, %4, '38')")
                .arg(anorak).arg(mat).arg(p).arg(verbrauch));
    };
    pos(baumwolle, 2, 1.5);
    pos(knopf, 1, 4);
    pos(ohneLieferer, 3, 1);
    pos(999999, 4, 1);
    const qint64 kunde = firma(QStringLiteral("Modehaus"));
    const qint64 meier = mitarbeiter(QStringLiteral("Meier"), QStringLiteral("Hans"));
    ins(QStringLiteral("insert into PREISE (ARTIKEL_ID, KUNDEN_ID, VT_ID, PREIS, AKTIV, VARIANTE) values (%1, %2, %3, 12.5, 1, 3)")
            .arg(anorak).arg(kunde).arg(meier));
    ins(QStringLiteral("insert into PREISE (ARTIKEL_ID, KUNDEN_ID, VT_ID, PREIS, AKTIV) values (%1, %2, %3, 99, 0)")
            .arg(anorak).arg(kunde).arg(meier));

    Form f = openWarenstamm();
    db::DataSet *st = ds(f.form, "StListe");
    db::DataSet *kd = ds(f.form, "Kunden");
    ASSERT_TRUE(st->isOpen());
    EXPECT_FALSE(kd->isOpen());
    EXPECT_EQ(column(st, "NAME"), (QStringList{QStringLiteral("Knopf rund"), QStringLiteral("Baumwolle")}));
    EXPECT_EQ(column(st, "Kurzname"), (QStringList{QString(), QStringLiteral("Futter")}));
    EXPECT_EQ(column(st, "FIRMA", true), (QStringList{QStringLiteral("Stoff GmbH"), QStringLiteral("Stoff GmbH")}));
    EXPECT_EQ(column(st, "VERBRAUCH", true), (QStringList{QStringLiteral("4,000"), QStringLiteral("1,500")}));
    EXPECT_EQ(column(st, "MATID"), (QStringList{QString::number(knopf), QString::number(baumwolle)}));
    // "Saison" sorts by the default compound order; a second click descends its last key.
    auto *grid = f.form->findChild<QTableView *>(QStringLiteral("StListeGrid"));
    struct Click { int column; const char *order; const char *firstName; } clicks[] = {
        {8, "order by S.Pos, S.VERBRAUCH, s.FERTIGUNGSART", "Knopf rund"},
        {8, "order by S.Pos, S.VERBRAUCH, s.FERTIGUNGSART DESC", "Knopf rund"},
        {1, "order by 1", "Baumwolle"},
        {1, "order by 1 DESC", "Knopf rund"},
    };
    for (const Click &c : clicks) {
        emit grid->horizontalHeader()->sectionClicked(c.column);
        EXPECT_EQ(st->macro(QStringLiteral("Order")), QLatin1String(c.order));
        EXPECT_EQ(st->fieldByName(QStringLiteral("NAME")).asString(), QLatin1String(c.firstName)) << c.order;
    }
    // The customers page loads when it is shown, the bill of materials is closed meanwhile.
    f.form->findChild<QTabWidget *>(QStringLiteral("PageControl"))->setCurrentIndex(1);
    ASSERT_TRUE(kd->isOpen());
    EXPECT_FALSE(st->isOpen());
    EXPECT_EQ(column(kd, "FIRMA"), QStringList{QStringLiteral("Modehaus")});
    EXPECT_EQ(column(kd, "Mitarbeiter"), QStringList{QStringLiteral("Meier, Hans")});
    EXPECT_EQ(column(kd, "Bemerkung"), QStringList{QStringLiteral(" Variante: 3")});
    EXPECT_EQ(column(kd, "PREIS", true), QStringList{QStringLiteral("12,50")});
    EXPECT_EQ(column(kd, "FIRMENNUMMER"), QStringList{QStringLiteral("K-Modehaus")});
}

TEST_F(WarenstammTest, FullNumberPartMovesTheFocusOn)
{
    Form f = openWarenstamm({QVariant(qlonglong(anorak))});
    f.form->show();
    f.form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.form));
    auto *afform = f.form->findChild<QLineEdit *>(QStringLiteral("AFFORM"));
    auto *afqual = f.form->findChild<QLineEdit *>(QStringLiteral("AFQUAL"));
    auto *affb = f.form->findChild<QLineEdit *>(QStringLiteral("AFFB"));
    afform->setFocus();
    QTest::keyClicks(afform, QStringLiteral("12345"));
    EXPECT_TRUE(afform->hasFocus());
    QTest::keyClicks(afform, QStringLiteral("6"));
    EXPECT_TRUE(afqual->hasFocus());
    QTest::keyClicks(afqual, QStringLiteral("0042"));
    EXPECT_TRUE(affb->hasFocus());
    f.artikel->cancel();
}
