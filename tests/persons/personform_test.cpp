// The person register driven as a user drives it: opened through the host registry, typed into,
// saved with the navigator, and checked with plain SQL.

#include "personfixture.h"

#include "host/shellware/cfg.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/extnavigator.h"
#include "host/shellware/modinfo.h"
#include "host/shellware/systools.h"
#include "host/shellware/user.h"
#include "platform/db/dataset.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"

#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QUrl>

namespace {
QComboBox *combo(TWin95Form *f, const char *name) { return f->findChild<QComboBox *>(QString::fromLatin1(name)); }

void choose(QComboBox *c, const QString &text)
{
    const int i = c->findText(text);
    ASSERT_GE(i, 0) << text.toStdString();
    c->setCurrentIndex(i);
    emit c->activated(i);
}

// Receives the URLs the form hands to the desktop.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &u) { urls << u; }
};
} // namespace

TEST_F(PersonTest, SavingAssignsPersonNumbersByType)
{
    const int filiale = addFirma(QStringLiteral("Filiale Nord"), 2);
    struct Case { const char *type; bool numbered; } cases[] = {
        {"Mitarbeiter", true}, {"Klient", true}, {"Arzt", false},
    };
    TWin95Form *f = open();
    QStringList numbers;
    for (const Case &c : cases) {
        nav(f)->click(TExtNavigator::nbInsert);
        ASSERT_EQ(record(f)->state(), db::DataSet::Insert);
        const qint64 id = idOf(record(f));
        type(edit(f, "edNachname"), QStringLiteral("  Krause "));
        choose(combo(f, "cbTyp"), QString::fromLatin1(c.type));
        type(edit(f, "edFirma"), QStringLiteral("filiale n"));
        edit(f, "edFirma")->clearFocus();
        emit edit(f, "edFirma")->editingFinished();
        nav(f)->click(TExtNavigator::nbPost);
        ASSERT_EQ(record(f)->state(), db::DataSet::Browse) << c.type;
        EXPECT_EQ(sql(QStringLiteral("select NACHNAME from PERSON where ID = %1").arg(id)).toString(), QStringLiteral("Krause"));
        EXPECT_EQ(sql(QStringLiteral("select LAND from PERSON where ID = %1").arg(id)).toString(), QStringLiteral("D"));
        const QVariant nr = sql(QStringLiteral("select IDENTNR from PERSON where ID = %1").arg(id));
        EXPECT_EQ(!nr.isNull(), c.numbered) << c.type << " " << nr.toString().toStdString();
        if (c.numbered)
            numbers << nr.toString();
        // The list stands on the saved person.
        EXPECT_EQ(idOf(list(f)), id);
    }
    EXPECT_EQ(sql(QStringLiteral("select count(*) from PERSON where FIRMEN_ID = %1").arg(filiale)).toInt(), 3);
    // Mitarbeiter and Klient draw from their own sub-ranges.
    EXPECT_EQ(numbers.size(), 2);
    EXPECT_EQ(sql(QStringLiteral("select count(*) from PERSON where IDENTNR is not null and TYP = 1")).toInt(), 1);
}

TEST_F(PersonTest, BranchPersonsNeedABranchAndKeepTheirInput)
{
    TWin95Form *f = open();
    nav(f)->click(TExtNavigator::nbInsert);
    type(edit(f, "edNachname"), QStringLiteral("Ohnefiliale"));
    choose(combo(f, "cbTyp"), QStringLiteral("Mitarbeiter"));
    Dialogs::expectMessage(QStringLiteral("Filiale"));
    nav(f)->click(TExtNavigator::nbPost);
    EXPECT_EQ(record(f)->state(), db::DataSet::Insert);
    EXPECT_EQ(edit(f, "edNachname")->text(), QStringLiteral("Ohnefiliale"));
    EXPECT_EQ(sql(QStringLiteral("select count(*) from PERSON")).toInt(), 0);
    // The number button and label follow the type.
    auto *sbNummer = f->findChild<QToolButton *>(QStringLiteral("sbNummer"));
    EXPECT_EQ(sbNummer->text(), QStringLiteral("Nummer    "));
    choose(combo(f, "cbTyp"), QStringLiteral("Arzt"));
    EXPECT_EQ(sbNummer->text(), QStringLiteral("IK-Nummer"));
    auto *sbFirma = f->findChild<QToolButton *>(QStringLiteral("sbFirma"));
    EXPECT_EQ(sbFirma->text(), QStringLiteral("Firma"));
    nav(f)->click(TExtNavigator::nbPost);
    EXPECT_EQ(sql(QStringLiteral("select count(*) from PERSON where TYP = 3 and IDENTNR is null")).toInt(), 1);
}

TEST_F(PersonTest, TypeFilterFromArguments)
{
    const int m = addPerson(QStringLiteral("Maier"), 1);
    const int k = addPerson(QStringLiteral("Kunz"), 2);
    addPerson(QStringLiteral("Arndt"), 3);
    struct Case { QVariantList args; int filterType; bool fixed; qint64 current; } cases[] = {
        {{QStringLiteral("2")}, 2, true, k},
        {{QStringLiteral("Klient")}, 2, true, k},
        {{QStringLiteral("1")}, 1, true, m},
        // Element 1 as text replaces the type text; element 0 the person.
        {{m, QStringLiteral("Mitarbeiter")}, 1, true, m},
        {{QStringLiteral("Gibtsnicht")}, 0, false, 0},
        {{QStringLiteral("-7")}, 0, false, 0},
        {{}, 0, false, 0},
    };
    for (const Case &c : cases) {
        TWin95Form *f = open(c.args);
        auto *filter = combo(f, "cbTypWahl");
        EXPECT_EQ(f->property("PersTyp").toInt(), c.filterType);
        EXPECT_EQ(filter->isVisibleTo(f), !c.fixed);
        EXPECT_EQ(combo(f, "cbTyp")->isEnabled(), !c.fixed);
        EXPECT_EQ(filter->currentText(), c.filterType ? filter->itemText(f->property("TypWahl").toInt())
                                                      : QStringLiteral("< alle Personen >"));
        if (c.current) {
            EXPECT_EQ(f->property("Person_ID").toLongLong(), c.current);
        }
        // The lists hold that type only.
        for (int r = 0; c.filterType && r < list(f)->recordCount(); ++r) {
            EXPECT_EQ(list(f)->rowValue(r, list(f)->fieldIndex(QStringLiteral("TYP"))).toInt(), c.filterType);
        }
        EXPECT_EQ(list(f)->recordCount(), c.filterType ? 1 : 3);
        Modinfo::DestroyForm(f);
    }
    // An integer type is only kept in Typ; a negative ID starts a new person of the filtered type.
    TWin95Form *f = open({-1, QStringLiteral("Arzt")});
    EXPECT_EQ(record(f)->state(), db::DataSet::Insert);
    EXPECT_EQ(record(f)->fieldByName(QStringLiteral("TYP")).value().toInt(), 3);
    record(f)->cancel();
    Modinfo::DestroyForm(f);
    f = open({k, 1});
    EXPECT_EQ(f->property("Typ").toInt(), 1);
    EXPECT_EQ(f->property("PersTyp").toInt(), 0);
    EXPECT_EQ(f->property("Person_ID").toLongLong(), k);
}

TEST_F(PersonTest, FilterSwitchKeepsThePersonWhenItFits)
{
    addPerson(QStringLiteral("Albers"), 1);
    const int b = addPerson(QStringLiteral("Berger"), 2);
    addPerson(QStringLiteral("Cramer"), 2);
    TWin95Form *f = open({b});
    auto *filter = combo(f, "cbTypWahl");
    choose(filter, QStringLiteral("Klient"));
    EXPECT_EQ(list(f)->recordCount(), 2);
    EXPECT_EQ(idOf(list(f)), b);
    EXPECT_EQ(idOf(record(f)), b);
    choose(filter, QStringLiteral("Mitarbeiter"));
    EXPECT_EQ(list(f)->recordCount(), 1);
    EXPECT_EQ(record(f)->fieldByName(QStringLiteral("NACHNAME")).asString(), QStringLiteral("Albers"));
    // Pending input that cannot be saved blocks the switch: message, old filter, input kept.
    nav(f)->click(TExtNavigator::nbEdit);
    type(edit(f, "edNachname"), QString());
    type(edit(f, "edOrt"), QStringLiteral("Kiel"));
    Dialogs::expectMessage(QStringLiteral("Nachnamen"));
    choose(filter, QStringLiteral("Klient"));
    EXPECT_EQ(filter->currentText(), QStringLiteral("Mitarbeiter"));
    EXPECT_EQ(f->property("PersTyp").toInt(), 1);
    EXPECT_EQ(record(f)->state(), db::DataSet::Edit);
    EXPECT_EQ(edit(f, "edOrt")->text(), QStringLiteral("Kiel"));
    nav(f)->click(TExtNavigator::nbCancel);
    EXPECT_EQ(sql(QStringLiteral("select NACHNAME from PERSON where ORT is null and TYP = 1")).toString(), QStringLiteral("Albers"));
    // Sort by number: the search box then searches numbers.
    choose(filter, QStringLiteral("< alle Personen >"));
    exec(QStringLiteral("update PERSON set IDENTNR = '000009' where ID = %1").arg(b));
    f->findChild<QToolButton *>(QStringLiteral("sbNummer"))->click();
    auto *search = f->findChild<QLineEdit *>(QStringLiteral("SuchEdit"));
    ASSERT_NE(search, nullptr);
    QTest::keyClicks(search, QStringLiteral("0000"));
    EXPECT_EQ(idOf(record(f)), b);
}

TEST_F(PersonTest, SoftDeleteMovesToTheNeighbour)
{
    const int a = addPerson(QStringLiteral("Anders"), 3);
    const int b = addPerson(QStringLiteral("Busch"), 3);
    const int c = addPerson(QStringLiteral("Claasen"), 3);
    struct Case { int target; int next; } cases[] = {
        {b, c},   // the next row
        {c, a},   // the last row: the previous one
        {a, 0},   // the only one: nothing left
    };
    TWin95Form *f = open();
    for (const Case &k : cases) {
        f->setProperty("Person_ID", k.target);
        ASSERT_EQ(idOf(record(f)), k.target);
        Dialogs::expectQuestion(Dialogs::Yes, QStringLiteral("löschen"));
        nav(f)->click(TExtNavigator::nbDelete);
        EXPECT_FALSE(sql(QStringLiteral("select DD from PERSON where ID = %1").arg(k.target)).isNull());
        EXPECT_EQ(f->property("Person_ID").toLongLong(), k.next);
        if (k.next) {
            EXPECT_EQ(idOf(list(f)), k.next);
        }
    }
    EXPECT_EQ(sql(QStringLiteral("select count(*) from PERSON")).toInt(), 3);
    EXPECT_EQ(list(f)->recordCount(), 0);
}

TEST_F(PersonTest, DateOfBirthEntry)
{
    const int p = addPerson(QStringLiteral("Datum"), 3);
    exec(QStringLiteral("update PERSON set GEBOREN_AM = '1970-05-04' where ID = %1").arg(p));
    const int year = QDate::currentDate().year();
    struct Case { const char *typed; QDate stored; bool message; } cases[] = {
        {"12.3.", QDate(year, 3, 12), false},
        {"0102", QDate(year, 2, 1), false},
        {"24121980", QDate(1980, 12, 24), false},
        {"3.4.1999", QDate(1999, 4, 3), false},
        {"31.02.", QDate(1970, 5, 4), true},   // no date: the old value stays
        {"", QDate(), false},
    };
    TWin95Form *f = open({p});
    QLineEdit *e = edit(f, "edGeboren");
    for (const Case &c : cases) {
        exec(QStringLiteral("update PERSON set GEBOREN_AM = '1970-05-04' where ID = %1").arg(p));
        nav(f)->click(TExtNavigator::nbRefresh);
        type(e, QString::fromLatin1(c.typed));
        if (c.message)
            Dialogs::expectMessage(QStringLiteral("kein gültiges Datum"));
        emit e->editingFinished();
        nav(f)->click(TExtNavigator::nbPost);
        EXPECT_EQ(sql(QStringLiteral("select GEBOREN_AM from PERSON where ID = %1").arg(p)).toDate(), c.stored) << c.typed;
    }
    // The Delete key clears the date.
    nav(f)->click(TExtNavigator::nbEdit);
    e->setFocus();
    QTest::keyClick(e, Qt::Key_Delete);
    EXPECT_TRUE(e->text().isEmpty());
    nav(f)->click(TExtNavigator::nbPost);
    EXPECT_TRUE(sql(QStringLiteral("select GEBOREN_AM from PERSON where ID = %1").arg(p)).isNull());
}

TEST_F(PersonTest, InputFiltersOfTheFields)
{
    const int p = addPerson(QStringLiteral("Eingabe"), 3);
    struct Case { const char *edit; const char *land; const char *typed; const char *shown; } cases[] = {
        {"edPlz", "D", "12a3456", "12345"},
        {"edPlz", "AT", "A-1010 Wien", "A-1010 "},   // 7 characters fit the column
        {"edLand", nullptr, "at1ö", "AT"},
        {"edTelefon1", nullptr, "+49 (030) 12-3", "4903012-3"},
        {"edKonto", nullptr, "12 34x", "12 34"},
        {"edGeboren", nullptr, "1a.2:b", "1.2:"},
    };
    TWin95Form *f = open({p});
    for (const Case &c : cases) {
        nav(f)->click(TExtNavigator::nbEdit);
        if (c.land)
            type(edit(f, "edLand"), QString::fromLatin1(c.land));
        type(edit(f, c.edit), QString::fromUtf8(c.typed));
        EXPECT_EQ(edit(f, c.edit)->text(), QString::fromUtf8(c.shown)) << c.edit << " " << c.typed;
        nav(f)->click(TExtNavigator::nbCancel);
    }
    // With "AT" the postal code keeps letters and more than five characters in the database too.
    nav(f)->click(TExtNavigator::nbEdit);
    type(edit(f, "edLand"), QStringLiteral("AT"));
    type(edit(f, "edPlz"), QStringLiteral("AB12345"));
    nav(f)->click(TExtNavigator::nbPost);
    EXPECT_EQ(sql(QStringLiteral("select PLZ from PERSON where ID = %1").arg(p)).toString(), QStringLiteral("AB12345"));
    EXPECT_EQ(sql(QStringLiteral("select LAND from PERSON where ID = %1").arg(p)).toString(), QStringLiteral("AT"));
}

TEST_F(PersonTest, SalutationSetsTheSex)
{
    const int p = addPerson(QStringLiteral("Anrede"), 3);
    TWin95Form *f = open({p});
    for (const auto &[text, sex] : {std::pair{"Herr", 1}, std::pair{"Frau", 0}}) {
        nav(f)->click(TExtNavigator::nbEdit);
        choose(combo(f, "cbAnrede"), QString::fromLatin1(text));
        nav(f)->click(TExtNavigator::nbPost);
        EXPECT_EQ(sql(QStringLiteral("select GESCHLECHT from PERSON where ID = %1").arg(p)).toInt(), sex);
        EXPECT_EQ(sql(QStringLiteral("select ANREDE from PERSON where ID = %1").arg(p)).toString(), QString::fromLatin1(text));
    }
}

TEST_F(PersonTest, SecondSaveOfTheSamePersonIsAConflict)
{
    const int p = addPerson(QStringLiteral("Zweimal"), 3);
    TWin95Form *f = open({p});
    nav(f)->click(TExtNavigator::nbEdit);
    type(edit(f, "edOrt"), QStringLiteral("Hamburg"));
    // Another user saves the same person meanwhile.
    auto other = m_db->attachAgain();
    {
        db::Transaction tr(other.get(), db::Transaction::writeParams());
        tr.start();
        db::Query q(other.get(), &tr);
        q.setSql(QStringLiteral("update PERSON set STRASSE = 'Hafenstr. 1', DM = dateadd(1 second to DM) where ID = %1").arg(p));
        q.exec();
        tr.commit();
    }
    Dialogs::expectMessage(QStringLiteral("anderen Benutzer"));
    nav(f)->click(TExtNavigator::nbPost);
    // The typed value stays on screen and in the record; the other user's change is kept.
    EXPECT_EQ(record(f)->state(), db::DataSet::Edit);
    EXPECT_EQ(edit(f, "edOrt")->text(), QStringLiteral("Hamburg"));
    EXPECT_EQ(record(f)->fieldByName(QStringLiteral("ORT")).asString(), QStringLiteral("Hamburg"));
    EXPECT_TRUE(sql(QStringLiteral("select ORT from PERSON where ID = %1").arg(p)).isNull());
    EXPECT_EQ(sql(QStringLiteral("select STRASSE from PERSON where ID = %1").arg(p)).toString(), QStringLiteral("Hafenstr. 1"));
    // After reloading the user saves again and both changes are there.
    nav(f)->click(TExtNavigator::nbCancel);
    EXPECT_EQ(edit(f, "edStrasse")->text(), QStringLiteral("Hafenstr. 1"));
    nav(f)->click(TExtNavigator::nbEdit);
    type(edit(f, "edOrt"), QStringLiteral("Hamburg"));
    nav(f)->click(TExtNavigator::nbPost);
    EXPECT_EQ(sql(QStringLiteral("select ORT from PERSON where ID = %1").arg(p)).toString(), QStringLiteral("Hamburg"));
    EXPECT_EQ(sql(QStringLiteral("select STRASSE from PERSON where ID = %1").arg(p)).toString(), QStringLiteral("Hafenstr. 1"));
}

TEST_F(PersonTest, CompanyFieldPickerAndDeletedCompanies)
{
    const int kt = addFirma(QStringLiteral("AOK Berlin"), 1);
    const int kunde = addFirma(QStringLiteral("Modehaus Berg"), 3);
    const int gone = addFirma(QStringLiteral("Pleite GmbH"), 3);
    const int p = addPerson(QStringLiteral("Kontakt"), 4, QString(), gone);
    TWin95Form *f = open({p});
    EXPECT_EQ(edit(f, "edFirma")->text(), QStringLiteral("Pleite GmbH"));
    EXPECT_EQ(f->findChild<QToolButton *>(QStringLiteral("sbFirma"))->text(), QStringLiteral("Kunde"));
    // Another user deletes the company; the form shows no name and does not fail.
    exec(QStringLiteral("update FIRMEN set DD = current_timestamp where ID = %1").arg(gone));
    nav(f)->click(TExtNavigator::nbRefresh);
    EXPECT_TRUE(edit(f, "edFirma")->text().isEmpty());
    EXPECT_EQ(f->findChild<QToolButton *>(QStringLiteral("sbFirma"))->text(), QStringLiteral("Firma"));
    // The picker: a company deleted after the list was read is refused.
    exec(QStringLiteral("update FIRMEN set DD = current_timestamp where ID = %1").arg(kunde));
    Dialogs::expect(Dialogs::Kind::Input, {Dialogs::Ok, QStringLiteral("Modehaus")}, QStringLiteral("Auswahl"));
    Dialogs::expectMessage(QStringLiteral("gelöscht"));
    f->findChild<QToolButton *>(QStringLiteral("sbFirmaWaehlen"))->click();
    EXPECT_EQ(sql(QStringLiteral("select FIRMEN_ID from PERSON where ID = %1").arg(p)).toInt(), gone);
    // A living company is written into the person.
    Dialogs::expect(Dialogs::Kind::Input, {Dialogs::Ok, QStringLiteral("AOK")}, QStringLiteral("Auswahl"));
    f->findChild<QToolButton *>(QStringLiteral("sbFirmaWaehlen"))->click();
    nav(f)->click(TExtNavigator::nbPost);
    EXPECT_EQ(sql(QStringLiteral("select FIRMEN_ID from PERSON where ID = %1").arg(p)).toInt(), kt);
    // Its button opens the cost-bearer form by class name; it is not installed here.
    Dialogs::expectMessage(QStringLiteral("TFrmKostenTr"));
    f->findChild<QToolButton *>(QStringLiteral("sbFirma"))->click();
    // A typed name that matches nothing clears the field.
    nav(f)->click(TExtNavigator::nbEdit);
    type(edit(f, "edFirma"), QStringLiteral("Niemand"));
    emit edit(f, "edFirma")->editingFinished();
    nav(f)->click(TExtNavigator::nbPost);
    EXPECT_TRUE(sql(QStringLiteral("select FIRMEN_ID from PERSON where ID = %1").arg(p)).isNull());
}

TEST_F(PersonTest, BranchAssignmentAndItsMessages)
{
    const int own = addFirma(QStringLiteral("Eigene Firma"), 0);
    const int m1 = addPerson(QStringLiteral("Ohne"), 1);
    const int m2 = addPerson(QStringLiteral("Archiv"), -1);
    const int k = addPerson(QStringLiteral("Klient"), 2);
    TWin95Form *f = open();
    auto *action = f->findChild<QAction *>(QStringLiteral("nbFiliale"));
    ASSERT_NE(action, nullptr);
    EXPECT_TRUE(action->isVisible());
    Dialogs::expectMessage(QStringLiteral("Bitte erst Firma als Mandant festlegen!"));
    action->trigger();
    EXPECT_TRUE(sql(QStringLiteral("select FIRMEN_ID from PERSON where ID = %1").arg(m1)).isNull());
    exec(QStringLiteral("insert into FILIALE (FIRMEN_ID, ZENTRALE) values (%1, 1)").arg(own));
    Dialogs::expectMessage(QStringLiteral("Offenen Mitarbeiter der Firma des Mandanten zugeordnet."));
    action->trigger();
    EXPECT_EQ(sql(QStringLiteral("select FIRMEN_ID from PERSON where ID = %1").arg(m1)).toInt(), own);
    EXPECT_EQ(sql(QStringLiteral("select FIRMEN_ID from PERSON where ID = %1").arg(m2)).toInt(), own);
    EXPECT_TRUE(sql(QStringLiteral("select FIRMEN_ID from PERSON where ID = %1").arg(k)).isNull());
    Modinfo::DestroyForm(f);
    // Not offered to ordinary users, who only read the register.
    User::SetCurrentUser(QStringLiteral("benutzer"), 1, 2);
    f = open();
    EXPECT_FALSE(f->findChild<QAction *>(QStringLiteral("nbFiliale"))->isVisible());
    EXPECT_FALSE(nav(f)->enabledBits() & (1 << TExtNavigator::nbInsert));
    EXPECT_FALSE(f->findChild<QToolButton *>(QStringLiteral("sbFirmaWaehlen"))->isEnabled());
}

TEST_F(PersonTest, MailButtonHandsTheAddressToTheDesktop)
{
    const int p = addPerson(QStringLiteral("Post"), 3);
    exec(QStringLiteral("update PERSON set EMAIL = 'anna.post@example.de?cc=x@y.de' where ID = %1").arg(p));
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
    TWin95Form *f = open({p});
    f->findChild<QToolButton *>(QStringLiteral("sbEmail"))->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls.first().scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(catcher.urls.first().path(), QStringLiteral("anna.post@example.de?cc=x@y.de"));
    EXPECT_TRUE(catcher.urls.first().query().isEmpty()) << "the address cannot add mail headers";
}

TEST_F(PersonTest, MaintenanceSweepRepairsAndRemoves)
{
    const int live = addFirma(QStringLiteral("Lebt"), 3);
    const int dead = addFirma(QStringLiteral("Weg"), 3);
    exec(QStringLiteral("update FIRMEN set DD = current_timestamp where ID = %1").arg(dead));
    exec(QStringLiteral("insert into PERSON (ID, NACHNAME, VORNAME, TYP, GESCHLECHT, TELEFON1, MOBIL, FIRMEN_ID, DC, DM) values "
                        "(101, ' müller', 'hans ', 4, 1, '+49 (030) 123-45', '0171/555 66', %1, null, null)").arg(dead));
    exec(QStringLiteral("insert into PERSON (ID, NACHNAME, ANREDE, TYP, GESCHLECHT, LAND, NATIONALITAET, FIRMEN_ID, DC, DM) values "
                        "(102, 'Schulz', 'Herr', 4, 0, 'AT', 'italienisch', %1, '2020-01-02 03:04:05', '2021-01-01 00:00:00')").arg(live));
    exec(QStringLiteral("insert into PERSON (ID, NACHNAME, TYP, DD) values (103, 'Gelöscht', 4, current_timestamp)"));
    exec(QStringLiteral("insert into PERSON (ID, NACHNAME, VORNAME, TYP) values (104, '   ', 'Niemand', 4)"));
    User::SetCurrentUser(QStringLiteral("admin"), 255, 1);
    TWin95Form *f = open();
    QToolButton *extra = nav(f)->button(TExtNavigator::nbExtra);
    ASSERT_TRUE(extra->isVisibleTo(f));
    nav(f)->click(TExtNavigator::nbExtra);
    auto row = [this](const QString &col) { return sql(QStringLiteral("select %1 from PERSON where ID = 101").arg(col)); };
    EXPECT_EQ(row(QStringLiteral("NACHNAME")).toString(), QStringLiteral("Müller"));
    EXPECT_EQ(row(QStringLiteral("VORNAME")).toString(), QStringLiteral("Hans"));
    EXPECT_EQ(row(QStringLiteral("ANREDE")).toString(), QStringLiteral("Herr"));
    EXPECT_EQ(row(QStringLiteral("GESCHLECHT")).toInt(), 1);
    EXPECT_EQ(row(QStringLiteral("LAND")).toString(), QStringLiteral("D"));
    EXPECT_EQ(row(QStringLiteral("NATIONALITAET")).toString(), QStringLiteral("deutsch"));
    EXPECT_TRUE(row(QStringLiteral("FIRMEN_ID")).isNull());
    EXPECT_EQ(row(QStringLiteral("TELEFON1")).toString(), QStringLiteral("+49-03012345"));
    EXPECT_EQ(row(QStringLiteral("MOBIL")).toString(), QStringLiteral("0171-55566"));
    EXPECT_FALSE(row(QStringLiteral("DC")).isNull());
    // A row that needed no repair but its salutation's sex keeps its company and its data.
    EXPECT_EQ(sql(QStringLiteral("select GESCHLECHT from PERSON where ID = 102")).toInt(), 1);
    EXPECT_EQ(sql(QStringLiteral("select FIRMEN_ID from PERSON where ID = 102")).toInt(), live);
    EXPECT_EQ(sql(QStringLiteral("select LAND from PERSON where ID = 102")).toString(), QStringLiteral("AT"));
    EXPECT_EQ(sql(QStringLiteral("select DC from PERSON where ID = 102")).toDateTime(), QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)));
    // Deleted rows and rows without surname are gone.
    EXPECT_EQ(sql(QStringLiteral("select count(*) from PERSON where ID in (103, 104)")).toInt(), 0);
    EXPECT_EQ(sql(QStringLiteral("select count(*) from PERSON")).toInt(), 2);
    // Afterwards the lists show the non-deleted persons again.
    EXPECT_EQ(list(f)->recordCount(), 2);
    EXPECT_FALSE(f->GetLocked());
    // Nothing for other users.
    Modinfo::DestroyForm(f);
    User::SetCurrentUser(QStringLiteral("chefin"), 128, 3);
    f = open();
    EXPECT_FALSE(nav(f)->button(TExtNavigator::nbExtra)->isVisibleTo(f));
}

TEST_F(PersonTest, CharacteristicCaptionsFromTheHostIni)
{
    {
        QFile ini(Cfg::HostIniPath());
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[TPersonForm]\nZusatz1=Kleidergr\xc3\xb6\xc3\x9f" "e\nZusatz2=\n");
    }
    TWin95Form *f = open();
    EXPECT_TRUE(edit(f, "edZusatz1")->isVisibleTo(f));
    EXPECT_FALSE(edit(f, "edZusatz2")->isVisibleTo(f));
    auto *lb = f->findChild<QLabel *>(QStringLiteral("lbZusatz1"));
    EXPECT_EQ(lb->text(), QStringLiteral("Kleidergröße"));
}

TEST_F(PersonTest, MovingAwayFromAnEditedPersonSavesIt)
{
    const int a = addPerson(QStringLiteral("Adler"), 3);
    const int b = addPerson(QStringLiteral("Bauer"), 3);
    const int c = addPerson(QStringLiteral("Conrad"), 3);
    // The record follows the list: a click into the grid, or another person chosen by ID.
    struct Case { const char *how; int from; int row; int to; } cases[] = {
        {"grid", a, 1, b},
        {"grid", b, 2, c},
        {"id", c, -1, a},
    };
    TWin95Form *f = open();
    auto *grid = f->findChild<QTableView *>(QStringLiteral("Grid"));
    auto *pages = f->findChild<QTabWidget *>(QStringLiteral("PageControl"));
    for (const Case &k : cases) {
        f->setProperty("Person_ID", k.from);
        nav(f)->click(TExtNavigator::nbEdit);
        type(edit(f, "edOrt"), QString::fromLatin1(k.how));
        const QString how = QString::fromLatin1(k.how);
        if (k.row >= 0)
            grid->setCurrentIndex(grid->model()->index(k.row, 0));
        else
            f->setProperty("Person_ID", k.to);
        EXPECT_EQ(record(f)->state(), db::DataSet::Browse);
        EXPECT_EQ(sql(QStringLiteral("select ORT from PERSON where ID = %1").arg(k.from)).toString(), how);
        EXPECT_EQ(f->property("Person_ID").toLongLong(), k.to) << k.how;
        EXPECT_EQ(idOf(list(f)), k.to) << k.how;
    }
    // A new person is saved when the page changes and stays in edit state.
    nav(f)->click(TExtNavigator::nbInsert);
    EXPECT_EQ(pages->currentIndex(), 0);
    type(edit(f, "edNachname"), QStringLiteral("Dorn"));
    pages->setCurrentIndex(2);
    EXPECT_EQ(record(f)->state(), db::DataSet::Edit);
    EXPECT_EQ(sql(QStringLiteral("select count(*) from PERSON where NACHNAME = 'Dorn'")).toInt(), 1);
    nav(f)->click(TExtNavigator::nbCancel);
}

TEST_F(PersonTest, LookupChangeKeepsTheChosenFilter)
{
    addPerson(QStringLiteral("Maier"), 1);
    addPerson(QStringLiteral("Kunz"), 2);
    TWin95Form *f = open({QStringLiteral("Klient")});
    exec(QStringLiteral("update APP$PERSONENTYP set BEZEICHNUNG = 'Kundin' where ID = 2"));
    Modinfo::BroadcastGlobalChanged(2);
    auto *filter = combo(f, "cbTypWahl");
    EXPECT_EQ(filter->currentText(), QStringLiteral("Kundin"));
    EXPECT_EQ(f->property("PersTyp").toInt(), 2);
    EXPECT_EQ(list(f)->recordCount(), 1);
    EXPECT_EQ(combo(f, "cbTyp")->currentText(), QStringLiteral("Kundin"));
    // A type that is no longer offered falls back to all persons.
    exec(QStringLiteral("update APP$PERSONENTYP set AKTIV = 0 where ID = 2"));
    Modinfo::BroadcastGlobalChanged(2);
    EXPECT_EQ(filter->currentText(), QStringLiteral("< alle Personen >"));
    EXPECT_EQ(list(f)->recordCount(), 2);
}

#include "personform_test.moc"
