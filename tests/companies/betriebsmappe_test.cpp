// The company dossier: its page list, the company list and picker, the selection options and
// the pages of other libraries embedded and told the company. The dossier lives in its library:
// the tests reach it like other modules do, through properties, invokable methods and children.

#include "companiesfixture.h"

#include "host/shellware/dialogs.h"

#include "host/shellware/cfg.h"
#include "host/shellware/checklist.h"
#include "host/shellware/user.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "host/shellware/win95form.h"
#include "kit/registration.h"

// A module form without the published company ID: the dossier must refuse it as a page.
class TOhneFirmaForm : public TWin95Form
{
    Q_OBJECT
public:
    explicit TOhneFirmaForm(QWidget *parent = nullptr) : TWin95Form(parent)
    {
        Describe(*new TFormModuleInfo(this));
    }
    static void Describe(TModuleInfo &m) { m.Description = QStringLiteral("Ohne Firma"); }
};
FD_REGISTER_FORM(TOhneFirmaForm, nullptr);

namespace {
// The dossier as the tests see it.
struct Mappe
{
    TWin95Form *f = nullptr;
    qint64 Firmen_ID() const { return f->property("Firmen_ID").toLongLong(); }
    void SetCompany(qint64 id) { QMetaObject::invokeMethod(f, "SetCompany", Q_ARG(qint64, id)); }
    void SearchAndExecute(const QString &cls) { QMetaObject::invokeMethod(f, "SearchAndExecute", Q_ARG(QString, cls)); }
    void ShowPicker(bool on) { QMetaObject::invokeMethod(f, "ShowPicker", Q_ARG(bool, on)); }
    void ShowOptions(bool on) { QMetaObject::invokeMethod(f, "ShowOptions", Q_ARG(bool, on)); }
    bool PickerVisible() const
    {
        bool v = false;
        QMetaObject::invokeMethod(f, "PickerVisible", Q_RETURN_ARG(bool, v));
        return v;
    }
    QString WhereText() const
    {
        QString w;
        QMetaObject::invokeMethod(f, "WhereText", Q_RETURN_ARG(QString, w));
        return w;
    }
    TWin95Form *CurrentPage() const
    {
        QObject *p = nullptr;
        QMetaObject::invokeMethod(f, "CurrentPageObject", Q_RETURN_ARG(QObject *, p));
        return qobject_cast<TWin95Form *>(p);
    }
    // The page tree's nodes in order.
    QList<QObject *> Nodes() const
    {
        QList<QObject *> out;
        for (QObject *o : f->findChildren<QObject *>(Qt::FindDirectChildrenOnly))
            if (qstrcmp(o->metaObject()->className(), "TOptionsNode") == 0)
                out << o;
        return out;
    }
    template<class T>
    T *c(const char *name) const { return f->findChild<T *>(QString::fromLatin1(name)); }
    QListView *lvFirmen() const { return c<QListView>("lvFirmen"); }
    QAbstractItemModel *model() const { return lvFirmen()->model(); }
    int rows() const { return model()->rowCount(); }
    qint64 idAt(int row) const { return model()->data(model()->index(row, 0), Qt::UserRole).toLongLong(); }
    int rowOf(qint64 id) const
    {
        for (int r = 0; r < rows(); ++r)
            if (idAt(r) == id)
                return r;
        return -1;
    }
    QStringList texts() const
    {
        QStringList out;
        for (int r = 0; r < rows(); ++r)
            out << model()->data(model()->index(r, 0), Qt::DisplayRole).toString();
        return out;
    }
    qint64 selectedId() const { return idAt(lvFirmen()->currentIndex().row()); }
    QString label(const char *name) const { return c<QLabel>(name)->text(); }
};

class MappeTest : public CompaniesTest
{
protected:
    Mappe open(const QVariantList &args = {})
    {
        Mappe m;
        m.f = Modinfo::CreateAndRunForm(QStringLiteral("TFrmBetriebsmappe"), args, int(args.size()) - 1);
        EXPECT_NE(m.f, nullptr);
        return m;
    }
    void setPageList(const QStringList &lines)
    {
        exec(QStringLiteral("delete from APP$GLOBALLISTE where LISTE = 'Betriebsmappe'"));
        for (int i = 0; i < lines.size(); ++i)
            exec(QStringLiteral("insert into APP$GLOBALLISTE (LISTE, POS, TEXT, OBJ) values ('Betriebsmappe', %1, '%2', 0)")
                     .arg(i + 1)
                     .arg(lines[i]));
    }
    static QStringList treeTexts(const Mappe &m)
    {
        QStringList out;
        for (QTreeWidgetItemIterator it(m.c<QTreeWidget>("tvOptionen")); *it; ++it)
            out << ((*it)->parent() ? QStringLiteral("  ") : QString()) + (*it)->text(0);
        return out;
    }
};
} // namespace

TEST_F(MappeTest, OpenedWithCompanyAndMasterPageShowsThatCompany)
{
    const qint64 alt = firma(QStringLiteral("Altbekannt"));
    const qint64 ziel = firma(QStringLiteral("Zielfirma"), 4, 0, QStringLiteral("000042"));
    // Another company was open last time in this tenant.
    Mappe f = open({QVariant(int(alt))});
    ASSERT_EQ(f.Firmen_ID(), alt);
    Modinfo::DestroyForm(f.f);
    f = open({QVariant(int(ziel)), QStringLiteral("TStammFirmenForm")});
    ASSERT_NE(f.CurrentPage(), nullptr);
    EXPECT_STREQ(f.CurrentPage()->metaObject()->className(), "TStammFirmenForm");
    EXPECT_EQ(f.CurrentPage()->property("Firmen_ID").toLongLong(), ziel);
    EXPECT_EQ(child<QLineEdit>(f.CurrentPage(), "edKurzname")->text(), QStringLiteral("Zielfirma"));
    EXPECT_EQ(f.label("lbBezeichnung"), QStringLiteral("Zielfirma"));
    EXPECT_EQ(f.label("lbAdresse"), QStringLiteral("10115 Berlin, Hauptstr. 1"));
    EXPECT_EQ(f.label("lbNummer"), QStringLiteral("000042 "));
    EXPECT_EQ(f.c<QLabel>("lbNummer")->toolTip(), QStringLiteral("Firmen_ID: %1").arg(ziel));
    EXPECT_EQ(f.c<QToolButton>("btnOptionen")->text(), QStringLiteral("Firmentyp - Artikellieferant"));
    // The text first and the ID second work the same.
    f.f->formInfo()->OnExecute(f.f->formInfo(), nullptr, {QStringLiteral("tstammfirmenform"), QVariant(int(alt))}, 1);
    EXPECT_EQ(f.CurrentPage()->property("Firmen_ID").toLongLong(), alt);
}

TEST_F(MappeTest, WithoutCompanyTheLastOneOfTheTenantOrTheFirstOfTheList)
{
    const qint64 b = firma(QStringLiteral("Beta"));
    const qint64 a = firma(QStringLiteral("Alpha"));
    Mappe f = open();
    EXPECT_EQ(f.Firmen_ID(), a);
    f.SetCompany(b);
    Modinfo::DestroyForm(f.f);
    f = open();
    EXPECT_EQ(f.Firmen_ID(), b);
    Modinfo::DestroyForm(f.f);
    User::SetCurrentMandant(QStringLiteral("Anderer"), QString());
    f = open();
    EXPECT_EQ(f.Firmen_ID(), a);
}

TEST_F(MappeTest, DeletedCompanyFallsBackToTheFirstOfTheList)
{
    const qint64 b = firma(QStringLiteral("Bravo"));
    const qint64 a = firma(QStringLiteral("Able"));
    const qint64 c = firma(QStringLiteral("Charlie"));
    Mappe f = open({QVariant(int(c)), QStringLiteral("TStammFirmenForm")});
    exec(QStringLiteral("update FIRMEN set DD = current_timestamp where ID = %1").arg(b));
    f.SetCompany(b);
    EXPECT_EQ(f.Firmen_ID(), a);
    EXPECT_EQ(f.label("lbBezeichnung"), QStringLiteral("Able"));
    EXPECT_EQ(f.CurrentPage()->property("Firmen_ID").toLongLong(), a);
    EXPECT_FALSE(f.texts().contains(QStringLiteral("Bravo")));
}

TEST_F(MappeTest, SelectionOptionsBuildTheWhereText)
{
    firma(QStringLiteral("Aktiv"), 3, 4);
    firma(QStringLiteral("Archiviert"), -3);
    firma(QStringLiteral("Lieferant"), 4);
    Mappe f = open();
    struct Case { bool archived, active, fav, notFav; QList<qint64> types; const char *where; const char *list; } cases[] = {
        {false, true, true, true, {}, "where (F.DD is Null) and (F.TYP > 0)", "Aktiv (37)|Lieferant"},
        {true, false, true, true, {}, "where (F.DD is Null) and (F.TYP <= 0)", "Archiviert (A)"},
        {true, true, true, true, {}, "where (F.DD is Null)", "Aktiv (37)|Archiviert (A)|Lieferant"},
        // Both activity boxes unticked: the active companies.
        {false, false, true, true, {}, "where (F.DD is Null) and (F.TYP > 0)", "Aktiv (37)|Lieferant"},
        {false, true, false, true, {}, "where (F.DD is Null) and (F.TYP > 0) and (COALESCE(F.KENNZEICHEN,0) = 0) ", "Lieferant"},
        // Both favourite boxes unticked: the favourites.
        {false, true, false, false, {}, "where (F.DD is Null) and (F.TYP > 0) and (COALESCE(F.KENNZEICHEN,0) = 1) ", ""},
        {false, true, true, true, {4, 2}, "where (F.DD is Null) and (F.TYP > 0) and (F.Typ in (2,4)) ", "Lieferant"},
    };
    exec(QStringLiteral("update FIRMEN set KENNZEICHEN = 0 where KENNZEICHEN is null"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.where);
        f.ShowOptions(true);
        f.c<TCheckList>("clFirmenTyp")->SetCheckedObjects(c.types);
        f.c<QFrame>("pnOptionen")->findChild<QCheckBox *>(QStringLiteral("cbFavorit"))->setChecked(true);
        f.c<QFrame>("pnOptionen")->findChild<QCheckBox *>(QStringLiteral("cbNotFavorit"))->setChecked(c.notFav);
        f.c<QFrame>("pnOptionen")->findChild<QCheckBox *>(QStringLiteral("cbFavorit"))->setChecked(c.fav);
        f.c<TCheckList>("clKennzeichen")->SetChecked(1, true);
        f.c<TCheckList>("clKennzeichen")->SetChecked(0, c.archived);
        f.c<TCheckList>("clKennzeichen")->SetChecked(1, c.active);
        f.ShowOptions(false);
        EXPECT_EQ(f.WhereText().toStdString(), std::string(c.where));
        EXPECT_EQ(f.texts().join(QLatin1Char('|')).toStdString(), std::string(c.list));
        const int n = f.rows();
        EXPECT_EQ(f.c<QGroupBox>("gbFirmen")->title(), QStringLiteral("Firmen (%1)").arg(n));
        // The current company always belongs to the list when the list has any.
        if (n > 0) {
            EXPECT_GE(f.rowOf(f.Firmen_ID()), 0);
        }
    }
}

TEST_F(MappeTest, PageListSkipsMissingClassesAndReportsUnfitForms)
{
    const qint64 id = firma(QStringLiteral("Seiten"));
    setPageList({QStringLiteral("@ Test"), QStringLiteral("!Add=TStammFirmenForm"), QStringLiteral("(Nichts,5)"),
                 QStringLiteral("Fehlt=TGibtEsNicht"), QStringLiteral("(Firma,1)"), QStringLiteral("Stammdaten=TStammFirmenForm"),
                 QStringLiteral("Ohne=TOhneFirmaForm"), QStringLiteral("(Artikel,2)"),
                 QStringLiteral("Artikel der Firma=TArtikelListForm")});
    Mappe f = open({QVariant(int(id))});
    EXPECT_EQ(treeTexts(f).join(QLatin1Char('|')),
              QStringLiteral("Firma|  Stammdaten|  Ohne|Artikel|  Artikel der Firma"));
    // The first group opened its first page.
    ASSERT_NE(f.CurrentPage(), nullptr);
    EXPECT_STREQ(f.CurrentPage()->metaObject()->className(), "TStammFirmenForm");
    // A page of another library gets the company.
    f.SearchAndExecute(QStringLiteral("TArtikelListForm"));
    ASSERT_NE(f.CurrentPage(), nullptr);
    EXPECT_EQ(f.CurrentPage()->property("Firmen_ID").toLongLong(), id);
    // The page left behind is kept for later, hidden.
    auto *stamm = qobject_cast<QWidget *>(f.Nodes().at(1)->property("Form").value<QObject *>());
    ASSERT_NE(stamm, nullptr);
    EXPECT_TRUE(stamm->isHidden());
    // A form without the published company ID is refused.
    f.SearchAndExecute(QStringLiteral("TOhneFirmaForm"));
    EXPECT_EQ(f.CurrentPage(), nullptr);
    EXPECT_TRUE(protocolTexts().join(QLatin1Char('\n')).contains(QStringLiteral("published Property \"Firmen_ID: Integer\"")));
    EXPECT_TRUE(Modinfo::OpenForms(QStringLiteral("TOhneFirmaForm")).isEmpty());
    // An unknown class name is written to the protocol.
    f.SearchAndExecute(QStringLiteral("TUnbekannt"));
    EXPECT_TRUE(protocolTexts().join(QLatin1Char('\n')).contains(QStringLiteral("NGOptionen.FocusedNode ist ungültig.")));
    // Back on the master page: same form, company again.
    f.SearchAndExecute(QStringLiteral("TStammFirmenForm"));
    EXPECT_EQ(f.CurrentPage(), stamm);
    EXPECT_EQ(stamm->property("Firmen_ID").toLongLong(), id);
}

TEST_F(MappeTest, PickerFlagsSearchAndDelayedSwitch)
{
    const qint64 anna = firma(QStringLiteral("Anna Moden"));
    const qint64 berta = firma(QStringLiteral("Berta Stoffe"), -2);
    const qint64 bruno = firma(QStringLiteral("Bruno Tuche"), 3, 4);
    const qint64 carl = firma(QStringLiteral("Carl Garne"));
    Mappe f = open({QVariant(int(anna)), QStringLiteral("TStammFirmenForm")});
    f.c<TCheckList>("clKennzeichen")->SetChecked(0, true);
    f.ShowPicker(true);
    ASSERT_TRUE(f.PickerVisible());
    EXPECT_EQ(f.texts(), QStringList({QStringLiteral("Anna Moden"), QStringLiteral("Berta Stoffe (A)"),
                                           QStringLiteral("Bruno Tuche (37)"), QStringLiteral("Carl Garne")}));
    EXPECT_EQ(f.lvFirmen()->currentIndex().row(), 0);
    // Typed characters search after the current entry; the switch waits for the timer.
    QTest::keyClicks(f.lvFirmen(), QStringLiteral("b"));
    EXPECT_EQ(f.selectedId(), berta);
    QTest::keyClicks(f.lvFirmen(), QStringLiteral("r"));
    EXPECT_EQ(f.selectedId(), bruno);
    EXPECT_EQ(f.Firmen_ID(), anna);
    EXPECT_TRUE(f.c<QTimer>("tmSwitch")->isActive());
    EXPECT_EQ(f.c<QTimer>("tmSwitch")->interval(), 500);
    QTRY_COMPARE_WITH_TIMEOUT(f.Firmen_ID(), bruno, 2000);
    EXPECT_EQ(f.CurrentPage()->property("Firmen_ID").toLongLong(), bruno);
    // The prefix is gone one second after the last key: "c" alone finds Carl.
    QTest::qWait(1100);
    QTest::keyClicks(f.lvFirmen(), QStringLiteral("c"));
    EXPECT_EQ(f.selectedId(), carl);
    // Escape closes the list and drops the pending switch.
    QTest::keyClick(f.lvFirmen(), Qt::Key_Escape);
    EXPECT_FALSE(f.PickerVisible());
    QTest::qWait(700);
    EXPECT_EQ(f.Firmen_ID(), bruno);
}

TEST_F(MappeTest, NewCompanyFromTheDossierLandsInTheList)
{
    const qint64 id = firma(QStringLiteral("Lieferant"), 4);
    Mappe f = open({QVariant(int(id))});
    f.SetCompany(-3);
    TWin95Form *page = f.CurrentPage();
    ASSERT_NE(page, nullptr);
    EXPECT_STREQ(page->metaObject()->className(), "TStammFirmenForm");
    db::DataSet *firmaDs = ds(page, "Firma");
    ASSERT_EQ(firmaDs->state(), db::DataSet::Insert);
    EXPECT_TRUE(f.label("lbBezeichnung").isEmpty());
    // The dossier's type: the number's sub-range and TYP agree.
    EXPECT_EQ(firmaDs->fieldByName(QStringLiteral("TYP")).value().toInt(), 4);
    QTest::keyClicks(child<QLineEdit>(page, "edName1"), QStringLiteral("Neuling"));
    nav(page)->click(TExtNavigator::nbPost);
    const qint64 neu = f.Firmen_ID();
    ASSERT_GT(neu, id);
    EXPECT_EQ(sql(QStringLiteral("select TYP from FIRMEN where ID = %1").arg(neu)).toInt(), 4);
    EXPECT_EQ(f.label("lbBezeichnung"), QStringLiteral("Neuling"));
    EXPECT_GE(f.rowOf(neu), 0);
    // Archiving on the master page keeps the row, now under the archived companies.
    Dialogs::expectQuestion(Dialogs::Yes);
    nav(page)->click(TExtNavigator::nbDelete);
    EXPECT_EQ(sql(QStringLiteral("select TYP from FIRMEN where ID = %1").arg(neu)).toInt(), -4);
}

TEST_F(MappeTest, PersonPageOfTheSeededListShowsTheCompanysPersons)
{
    const qint64 nord = firma(QStringLiteral("Nord"));
    const qint64 sued = firma(QStringLiteral("Sued"));
    const qint64 leer = firma(QStringLiteral("Leer"));
    const qint64 zorn = person(QStringLiteral("Zorn"), QStringLiteral("Zita"), 3, nord);
    const qint64 albers = person(QStringLiteral("Albers"), QStringLiteral("Ali"), 3, nord);
    const qint64 gone = person(QStringLiteral("Alt"), QStringLiteral("Axel"), 3, nord);
    exec(QStringLiteral("update PERSON set DD = current_timestamp where ID = %1").arg(gone));
    const qint64 meier = person(QStringLiteral("Meier"), QStringLiteral("Mia"), 3, sued);
    person(QStringLiteral("Frei"), QStringLiteral("Fritz"), 3);

    // The page list as a new database has it.
    Mappe f = open({QVariant(int(nord))});
    EXPECT_TRUE(treeTexts(f).contains(QStringLiteral("  Ansprechpartner"))) << treeTexts(f).join(QLatin1Char('|')).toStdString();
    f.SearchAndExecute(QStringLiteral("TPersonForm"));
    TWin95Form *page = f.CurrentPage();
    ASSERT_NE(page, nullptr) << protocolTexts().join(QLatin1Char('\n')).toStdString();
    ASSERT_STREQ(page->metaObject()->className(), "TPersonForm");
    db::DataSet *list = ds(page, "PersonenList");
    db::DataSet *rec = ds(page, "Personen");
    ASSERT_NE(list, nullptr);
    auto ids = [list]() {
        QList<qint64> out;
        list->fetchAll();
        for (list->first(); !list->eof(); list->next())
            out << list->fieldByName(QStringLiteral("ID")).value().toLongLong();
        list->first();
        return out;
    };
    struct Case { qint64 company; QList<qint64> persons; } cases[] = {
        {nord, {albers, zorn}}, {sued, {meier}}, {leer, {}}, {nord, {albers, zorn}},
    };
    for (const Case &c : cases) {
        f.SetCompany(c.company);
        ASSERT_EQ(f.CurrentPage(), page);
        EXPECT_EQ(page->property("Firmen_ID").toLongLong(), c.company);
        // The page stands on the company's first person.
        EXPECT_EQ(rec->recordCount() > 0 ? rec->fieldByName(QStringLiteral("ID")).value().toLongLong() : 0,
                  c.persons.isEmpty() ? 0 : c.persons.first()) << c.company;
        EXPECT_EQ(ids(), c.persons) << c.company;
    }
    // Another page and back: the person page is reused and shows the company again.
    f.SearchAndExecute(QStringLiteral("TStammFirmenForm"));
    f.SetCompany(sued);
    f.SearchAndExecute(QStringLiteral("TPersonForm"));
    EXPECT_EQ(f.CurrentPage(), page);
    EXPECT_EQ(page->property("Firmen_ID").toLongLong(), sued);
    EXPECT_EQ(ids(), QList<qint64>{meier});
}

#include "betriebsmappe_test.moc"
