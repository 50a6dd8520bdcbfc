// The company register driven through the host registry and checked with plain SQL.

#include "companiesfixture.h"

#include "host/shellware/cfg.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/user.h"

#include <QAction>
#include <QBuffer>
#include <QFile>
#include <QToolButton>
#include <QDate>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {
class FirmaTest : public CompaniesTest
{
protected:
    TWin95Form *open(const QVariantList &args = {})
    {
        TWin95Form *f = Modinfo::CreateAndRunForm(QStringLiteral("TFirmaForm"), args, int(args.size()) - 1);
        EXPECT_NE(f, nullptr);
        return f;
    }
    static db::DataSet *record(TWin95Form *f) { return ds(f, "Firmen"); }
    static QVariant field(TWin95Form *f, const char *name) { return record(f)->fieldByName(QString::fromLatin1(name)).value(); }
    static void set(TWin95Form *f, const char *name, const QVariant &v)
    {
        if (!record(f)->isEditing())
            record(f)->edit();
        record(f)->fieldByName(QString::fromLatin1(name)).setValue(v);
    }
    static qint64 current(TWin95Form *f) { return f->property("Firmen_ID").toLongLong(); }
};
} // namespace

TEST_F(FirmaTest, NewCompanyUnderAllGetsCustomerTypeAndFirmenNumber)
{
    firma(QStringLiteral("Alt"), 4);
    TWin95Form *f = open();
    EXPECT_EQ(child<QComboBox>(f, "cbTypWahl")->currentText(), QStringLiteral("< alle Firmen >"));
    nav(f)->click(TExtNavigator::nbInsert);
    ASSERT_EQ(record(f)->state(), db::DataSet::Insert);
    EXPECT_EQ(field(f, "TYP").toInt(), 3);
    EXPECT_EQ(field(f, "LAND").toString(), QStringLiteral("D"));
    QTest::keyClicks(child<QLineEdit>(f, "edKurzbez"), QStringLiteral("MODE"));
    QTest::keyClicks(child<QLineEdit>(f, "edName1"), QStringLiteral("Modehaus"));
    QTest::keyClicks(child<QLineEdit>(f, "edName2"), QStringLiteral("Berlin GmbH"));
    nav(f)->click(TExtNavigator::nbPost);
    ASSERT_EQ(record(f)->state(), db::DataSet::Browse);
    const qint64 id = current(f);
    ASSERT_GT(id, 0);
    EXPECT_EQ(sql(QStringLiteral("select TYP from FIRMEN where ID = %1").arg(id)).toInt(), 3);
    const QString nr = sql(QStringLiteral("select NUMMER from FIRMEN where ID = %1").arg(id)).toString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{6}$")).match(nr).hasMatch()) << nr.toStdString();
    // The full name other modules read follows the name lines.
    EXPECT_EQ(sql(QStringLiteral("select BEZEICHNUNG from FIRMEN where ID = %1").arg(id)).toString(),
              QStringLiteral("Modehaus Berlin GmbH"));
    // The saved company is the list's current row.
    EXPECT_EQ(ds(f, "FirmenList")->fieldByName(QStringLiteral("ID")).value().toLongLong(), id);
}

TEST_F(FirmaTest, FilteredTypeIsTheNewCompanysTypeAndTheStatusLineCounts)
{
    firma(QStringLiteral("A1"), 2);
    firma(QStringLiteral("A2"), 2);
    firma(QStringLiteral("K1"), 3);
    TWin95Form *f = open();
    EXPECT_EQ(f->StatusHint(), QStringLiteral("|3 Firmen ausgewählt"));
    choose(child<QComboBox>(f, "cbTypWahl"), QStringLiteral("Materiallieferant"));
    EXPECT_EQ(f->StatusHint(), QStringLiteral("|2 Firmen ausgewählt"));
    choose(child<QComboBox>(f, "cbTypWahl"), QStringLiteral("Kunde"));
    EXPECT_EQ(f->StatusHint(), QStringLiteral("|1 Firmen ausgewählt"));
    nav(f)->click(TExtNavigator::nbInsert);
    EXPECT_EQ(field(f, "TYP").toInt(), 3);
    nav(f)->click(TExtNavigator::nbCancel);
    choose(child<QComboBox>(f, "cbTypWahl"), QStringLiteral("Artikellieferant"));
    EXPECT_EQ(f->StatusHint(), QStringLiteral("|0 Firmen ausgewählt"));
    nav(f)->click(TExtNavigator::nbInsert);
    EXPECT_EQ(field(f, "TYP").toInt(), 4);
}

TEST_F(FirmaTest, MaterialSupplierNeedsTheFullAddress)
{
    struct Case { const char *cleared; bool saves; } cases[] = {
        {"STRASSE", false}, {"LAND", false}, {"PLZ", false}, {"ORT", false}, {nullptr, true},
    };
    const qint64 id = firma(QStringLiteral("Stoffe"), 2);
    TWin95Form *f = open({QVariant(int(id))});
    ASSERT_EQ(current(f), id);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.cleared ? c.cleared : "complete");
        set(f, "LAND", QStringLiteral("D"));
        set(f, "NAME2", QStringLiteral("Zweig"));
        if (c.cleared)
            set(f, c.cleared, QVariant());
        if (c.saves) {
            EXPECT_NO_THROW(record(f)->post());
        } else {
            EXPECT_THROW(record(f)->post(), std::exception);
            // The input stays for a correction; nothing reached the table.
            EXPECT_TRUE(record(f)->isEditing());
            EXPECT_TRUE(sql(QStringLiteral("select NAME2 from FIRMEN where ID = %1").arg(id)).isNull());
            record(f)->cancel();
        }
    }
    EXPECT_EQ(sql(QStringLiteral("select NAME2 from FIRMEN where ID = %1").arg(id)).toString(), QStringLiteral("Zweig"));
}

TEST_F(FirmaTest, TenantMarkingCreatesTheSiteRowOnPostAndCancelDropsIt)
{
    const qint64 eigen = firma(QStringLiteral("Eigen"), 0);
    const qint64 kunde = firma(QStringLiteral("Kunde"), 3);
    TWin95Form *f = open({QVariant(int(kunde))});
    EXPECT_TRUE(child<QWidget>(f, "gbMandant")->isHidden());
    f->setProperty("Firmen_ID", eigen);
    ASSERT_EQ(current(f), eigen);
    ASSERT_FALSE(child<QWidget>(f, "gbMandant")->isHidden());
    auto *btn = child<QPushButton>(f, "btnMandant");
    ASSERT_FALSE(btn->isHidden());
    // Cancelled: no site row.
    btn->click();
    EXPECT_EQ(record(f)->state(), db::DataSet::Edit);
    nav(f)->click(TExtNavigator::nbCancel);
    EXPECT_EQ(sql(QStringLiteral("select count(*) from FILIALE")).toInt(), 0);
    EXPECT_EQ(f->property("Zentrale").toInt(), 0);
    // Posted: the row exists with ZENTRALE 1 and the panel says so.
    btn->click();
    nav(f)->click(TExtNavigator::nbPost);
    EXPECT_EQ(sql(QStringLiteral("select count(*) from FILIALE where FIRMEN_ID = %1 and ZENTRALE = 1").arg(eigen)).toInt(), 1);
    EXPECT_EQ(f->property("Zentrale").toInt(), 1);
    EXPECT_FALSE(child<QLabel>(f, "lbIstMandant")->isHidden());
    EXPECT_TRUE(btn->isHidden());
}

TEST_F(FirmaTest, DeleteIsSoftAndTheListMovesOn)
{
    const qint64 a = firma(QStringLiteral("Anton"));
    const qint64 b = firma(QStringLiteral("Berta"));
    TWin95Form *f = open({QVariant(int(a))});
    Dialogs::expectQuestion(Dialogs::Yes);
    nav(f)->click(TExtNavigator::nbDelete);
    EXPECT_FALSE(sql(QStringLiteral("select DD from FIRMEN where ID = %1").arg(a)).isNull());
    EXPECT_EQ(current(f), b);
    EXPECT_EQ(f->StatusHint(), QStringLiteral("|1 Firmen ausgewählt"));
}

TEST_F(FirmaTest, ContactPersonIsShownTypedAndPicked)
{
    const qint64 fid = firma(QStringLiteral("Hemden"));
    const qint64 meier = person(QStringLiteral("Meier"), QStringLiteral("Hans"), 1, fid);
    const qint64 mueller = person(QStringLiteral("Müller"), QStringLiteral("Eva"), 1, fid);
    person(QStringLiteral("Maus"), QStringLiteral("Max"), 1); // another company's person
    exec(QStringLiteral("update FIRMEN set PERSON_ID = %1 where ID = %2").arg(meier).arg(fid));
    auto *ff = qobject_cast<TWin95Form *>(open({QVariant(int(fid))}));
    auto *edAp = child<QLineEdit>(ff, "edAnsprechpartner");
    EXPECT_EQ(edAp->text(), QStringLiteral("Meier, Hans"));
    EXPECT_EQ(child<QLabel>(ff, "lbDurchwahl")->text(), QStringLiteral("030-77"));
    // Typing: the first of this company's persons whose name begins with the text.
    struct Case { const char *typed; qint64 expected; } cases[] = {{"mü", mueller}, {"MA", 0}, {"me", meier}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        edAp->setText(QString::fromUtf8(c.typed));
        edAp->setModified(true);
        emit edAp->editingFinished();
        EXPECT_EQ(field(ff, "PERSON_ID").toLongLong(), c.expected);
    }
    // The picker offers the company's persons only.
    Dialogs::expect(Dialogs::Kind::Input, Dialogs::Reply{Dialogs::Ok, QStringLiteral("Mü")}, QStringLiteral("Auswahl"));
    child<QToolButton>(ff, "sbAnsprechpartner")->click();
    EXPECT_EQ(field(ff, "PERSON_ID").toLongLong(), mueller);
    nav(ff)->click(TExtNavigator::nbPost);
    EXPECT_EQ(sql(QStringLiteral("select PERSON_ID from FIRMEN where ID = %1").arg(fid)).toLongLong(), mueller);
    // The employees page lists both persons of the company.
    EXPECT_EQ(ds(ff, "PersonAP")->recordCount(), 2);
}

TEST_F(FirmaTest, KundeSeitEntry)
{
    const qint64 id = firma(QStringLiteral("Datum"));
    TWin95Form *f = open({QVariant(int(id))});
    auto *ed = child<QLineEdit>(f, "edKundeSeit");
    const int year = QDate::currentDate().year();
    struct Case { const char *typed; QDate expected; } cases[] = {
        {"0103", QDate(year, 3, 1)},
        {"12.3.", QDate(year, 3, 12)},
        {"24.12.2019", QDate(2019, 12, 24)},
        {"31.02.", QDate(2019, 12, 24)},   // no date: rejected, the stored date stays
        {"", QDate()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        ed->setFocus();
        ed->selectAll();
        if (*c.typed)
            QTest::keyClicks(ed, QString::fromLatin1(c.typed));
        else
            QTest::keyClick(ed, Qt::Key_Delete);
        emit ed->editingFinished();
        if (!record(f)->isEditing())
            record(f)->edit();
        record(f)->post();
        EXPECT_EQ(sql(QStringLiteral("select KUNDE_SEIT from FIRMEN where ID = %1").arg(id)).toDate(), c.expected);
    }
    EXPECT_TRUE(protocolTexts().join(QLatin1Char('\n')).contains(QStringLiteral("FormatDatum")));
}

TEST_F(FirmaTest, InputFiltersOfTheAddressAndBankFields)
{
    const qint64 id = firma(QStringLiteral("Filter"));
    TWin95Form *f = open({QVariant(int(id))});
    struct Case { const char *edit; const char *land; const char *typed; const char *shown; } cases[] = {
        {"edLand", "", "a1t-", "AT"},
        {"edPlz", "D", "1a2345678", "12345"},
        {"edPlz", "AT", "A-1010", "A-1010"},
        {"edTelefon1", "D", "+49 (30) 1-2", "49301-2"},
        {"edBlz", "D", "100 x500", "100 500"},
        {"edKundeSeit", "D", "1a.2b", "1.2"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.edit) + " " + c.typed);
        auto *land = child<QLineEdit>(f, "edLand");
        land->setText(QString::fromLatin1(c.land));
        auto *ed = child<QLineEdit>(f, c.edit);
        ed->clear();
        ed->setFocus();
        QTest::keyClicks(ed, QString::fromLatin1(c.typed));
        EXPECT_EQ(ed->text(), QString::fromLatin1(c.shown));
    }
    record(f)->cancel();
}

TEST_F(FirmaTest, LogoIsStoredAs24BitBitmapAndDeleteClearsIt)
{
    const qint64 id = firma(QStringLiteral("Logo"));
    QTemporaryDir dir;
    QImage img(40, 20, QImage::Format_ARGB32);
    img.fill(QColor(200, 10, 10, 128));
    const QString png = dir.filePath(QStringLiteral("logo.png"));
    ASSERT_TRUE(img.save(png));
    const QString bad = dir.filePath(QStringLiteral("kaputt.png"));
    {
        QFile b(bad);
        ASSERT_TRUE(b.open(QIODevice::WriteOnly));
        b.write("kein Bild");
    }
    TWin95Form *f = open({QVariant(int(id))});
    Dialogs::expect(Dialogs::Kind::OpenFile, Dialogs::Reply{Dialogs::Ok, bad});
    Dialogs::expectMessage(QStringLiteral("kein lesbares Bild"));
    child<QToolButton>(f, "sbLogo")->click();
    EXPECT_FALSE(record(f)->isEditing());
    Dialogs::expect(Dialogs::Kind::OpenFile, Dialogs::Reply{Dialogs::Ok, png});
    child<QToolButton>(f, "sbLogo")->click();
    nav(f)->click(TExtNavigator::nbPost);
    const QByteArray stored = sql(QStringLiteral("select FOTO from FIRMEN where ID = %1").arg(id)).toByteArray();
    ASSERT_GT(stored.size(), 54);
    EXPECT_EQ(stored.left(2), QByteArray("BM"));
    EXPECT_EQ(quint8(stored.at(28)), 24);   // bits per pixel
    EXPECT_EQ(QImage::fromData(stored).size(), QSize(40, 20));
    auto *panel = child<QWidget>(f, "pnLogo");
    QTest::keyClick(panel, Qt::Key_Delete);
    nav(f)->click(TExtNavigator::nbPost);
    EXPECT_TRUE(sql(QStringLiteral("select FOTO from FIRMEN where ID = %1").arg(id)).isNull());
}

TEST_F(FirmaTest, SweepRepairsActiveRowsAndRemovesTheRest)
{
    User::SetCurrentUser(QStringLiteral("admin"), 255, 1);
    const qint64 typed = ins(QStringLiteral("insert into FIRMEN (NAME1, NAME2, TYP, TELEFON1) values ('Nur', 'Namen', 3, '+49 (30) 12-3')"));
    const qint64 full = ins(QStringLiteral("insert into FIRMEN (BEZEICHNUNG, TYP, TELEFAX) values ('  Voll  ', 3, '030/55 66')"));
    const qint64 gone = ins(QStringLiteral("insert into FIRMEN (BEZEICHNUNG, TYP, DD) values ('Weg', 3, current_timestamp)"));
    const qint64 empty = ins(QStringLiteral("insert into FIRMEN (TYP) values (3)"));
    TWin95Form *f = open();
    ASSERT_TRUE(nav(f)->VisibleButtons() & 0x800);
    nav(f)->click(TExtNavigator::nbExtra);
    EXPECT_EQ(sql(QStringLiteral("select BEZEICHNUNG from FIRMEN where ID = %1").arg(typed)).toString(), QStringLiteral("Nur Namen"));
    EXPECT_EQ(sql(QStringLiteral("select TELEFON1 from FIRMEN where ID = %1").arg(typed)).toString(), QStringLiteral("+49-30123"));
    EXPECT_EQ(sql(QStringLiteral("select BEZEICHNUNG from FIRMEN where ID = %1").arg(full)).toString(), QStringLiteral("Voll"));
    EXPECT_EQ(sql(QStringLiteral("select KURZBEZEICHNUNG from FIRMEN where ID = %1").arg(full)).toString(), QStringLiteral("VOLL"));
    EXPECT_EQ(sql(QStringLiteral("select TELEFAX from FIRMEN where ID = %1").arg(full)).toString(), QStringLiteral("030-5566"));
    EXPECT_FALSE(sql(QStringLiteral("select DC from FIRMEN where ID = %1").arg(full)).isNull());
    EXPECT_EQ(sql(QStringLiteral("select count(*) from FIRMEN where ID in (%1, %2)").arg(gone).arg(empty)).toInt(), 0);
}

TEST_F(FirmaTest, ExportWritesTheFilteredCompanies)
{
    firma(QStringLiteral("Kunde \"A\""), 3);
    firma(QStringLiteral("Lieferant"), 4);
    QTemporaryDir dir;
    TWin95Form *f = open();
    choose(child<QComboBox>(f, "cbTypWahl"), QStringLiteral("Kunde"));
    const QString path = dir.filePath(QStringLiteral("kunden.csv"));
    Dialogs::expect(Dialogs::Kind::SaveFile, Dialogs::Reply{Dialogs::Ok, path});
    for (QAction *a : f->findChildren<QAction *>())
        if (a->objectName() == QLatin1String("sbExport"))
            a->trigger();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("\"ID\";\"KURZBEZEICHNUNG\";\"BEZEICHNUNG\"")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("\"Kunde \"\"A\"\"\""))) << lines[1].toStdString();
    EXPECT_EQ(Cfg::GetCompValue(f, QStringLiteral("ExportFileName")).toString(), QStringLiteral("kunden.csv"));
}
