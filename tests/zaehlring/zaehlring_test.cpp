// The number-range page "Nummernkreise" as the settings dialog shows it: the real library is
// loaded through the host registry, the page works on a fresh database and every check reads the
// rows back with plain SQL.

#include "host/app/systemeinstellung.h"
#include "host/recordware/datenmodul.h"
#include "host/shellware/cfg.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/extnavigator.h"
#include "host/shellware/modinfo.h"
#include "host/shellware/systools.h"
#include "host/shellware/user.h"
#include "host/shellware/win95form.h"
#include "kit/numbermask.h"
#include "platform/db/dataset.h"
#include "platform/db/dberror.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"
#include "support/testdb.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

void loadModuleOnce()
{
    static QTemporaryDir dir;
    static bool loaded = false;
    if (loaded)
        return;
    loaded = true;
    // The host loads every library of a folder; this folder holds only the library under test.
    const QString target = QDir(dir.path()).filePath(QStringLiteral("Zaehlring.mdl"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(FD_ZAEHLRING_MODULE), target));
    const Modinfo::LoadResult r = Modinfo::LoadModules(dir.path(), true);
    ASSERT_TRUE(r.failed.isEmpty()) << r.failed.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(r.loaded, QStringList{QStringLiteral("Zaehlring.mdl")});
}

class ZaehlringTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_db = std::make_unique<testing_fd::TestDb>();
        Dm::DatenModul()->setDatabase(&m_db->db());
        Cfg::SetConfigDir(QDir(m_home.path()).filePath(QStringLiteral("config")));
        Cfg::SetInstallDir(m_home.path());
        Systools::Protocol::instance().setDirectory(QDir(m_home.path()).filePath(QStringLiteral("Protokoll")));
        Systools::Protocol::instance().clear();
        User::SetCurrentUser(QStringLiteral("admin"), 200, 1);
        Dialogs::clearExpectations();
        Dialogs::clearHistory();
        loadModuleOnce();
    }

    void TearDown() override
    {
        if (m_dlg)
            m_dlg->done(0);
        m_dlg.reset();
        Modinfo::DestroyAllForms();
        EXPECT_EQ(Dialogs::pendingExpectations(), 0) << "an expected dialog did not appear";
        Dialogs::clearExpectations();
        Dm::DatenModul()->setDatabase(nullptr);
        m_db.reset();
    }

    // Opens the settings dialog and returns the page "Nummernkreise".
    TWin95Form *openPage()
    {
        m_dlg = std::make_unique<TSystemEinstellungForm>(&m_db->db());
        m_dlg->show();
        for (TWin95Form *p : m_dlg->pages())
            if (QString::fromLatin1(p->metaObject()->className()) == QLatin1String("TZaehlringForm"))
                m_page = p;
        EXPECT_NE(m_page, nullptr);
        return m_page;
    }
    template<class T> T *child(const char *name)
    {
        T *w = m_page->findChild<T *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    db::DataSet *ranges() { return child<db::DataSet>("dtsZaehlring"); }
    TExtNavigator *nav() { return child<TExtNavigator>("Navigator"); }
    void press(int button) { nav()->click(button); }
    // Stands on the range with this ID.
    void standOn(int id) { ASSERT_TRUE(ranges()->locate(QStringLiteral("ID"), id)); }
    void type(const char *edit, const QString &text)
    {
        QLineEdit *e = child<QLineEdit>(edit);
        e->selectAll();
        if (text.isEmpty())
            QTest::keyClick(e, Qt::Key_Backspace);
        else
            QTest::keyClicks(e, text);
    }
    void choose(QComboBox *c, const QString &text)
    {
        const int i = c->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        c->setCurrentIndex(i);
        emit c->activated(i);
    }
    static QStringList items(QComboBox *c)
    {
        QStringList out;
        for (int i = 0; i < c->count(); ++i)
            out << c->itemText(i);
        return out;
    }

    QVariant sql(const QString &select)
    {
        db::Transaction tr(&m_db->db(), db::Transaction::readParams());
        tr.start();
        const QVariant v = db::Query::selectValue(tr, select);
        tr.commit();
        return v;
    }
    void exec(const QString &statement) { m_db->db().executeImmediate(statement); }
    qint64 counter(int id)
    {
        return sql(QStringLiteral("select N from SP_GET_NUMMER_INTERN('GEN_NUMMER_%1', 0)").arg(id)).toLongLong();
    }

    // Runs `inDialog` on the mask dialog opened by the mask button, then closes it with `accept`.
    void withMaskDialog(const std::function<void(QDialog *)> &inDialog, bool accept)
    {
        bool seen = false;
        QTimer::singleShot(0, [&]() {
            QDialog *d = nullptr;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->objectName() == QLatin1String("NumMaskDlg") && w->isVisible())
                    d = qobject_cast<QDialog *>(w);
            if (!d)
                return;
            seen = true;
            inDialog(d);
            if (accept)
                d->findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
            else
                d->reject();
        });
        child<QToolButton>("btnFormatMaske")->click();
        ASSERT_TRUE(seen) << "the mask dialog did not open";
    }

    std::unique_ptr<testing_fd::TestDb> m_db;
    QTemporaryDir m_home;
    std::unique_ptr<TSystemEinstellungForm> m_dlg;
    TWin95Form *m_page = nullptr;
};

} // namespace

TEST_F(ZaehlringTest, RegisteredAsSettingsPageWithoutFormVariable)
{
    const Modinfo::ClassEntry *e = Modinfo::FindClass(QStringLiteral("TZaehlringForm"));
    ASSERT_NE(e, nullptr);
    EXPECT_FALSE(e->hasVar());
    EXPECT_FALSE(e->report);
    EXPECT_EQ(e->manifest->Description, QStringLiteral("Systemeinstellungen - Nummernkreise"));
    EXPECT_EQ(e->manifest->Flags, ffNoMDIChild | ffNoReference);
    EXPECT_EQ(e->manifest->Security, fsReadOnly);
    EXPECT_EQ(e->manifest->LinkedForms, QStringList{QStringLiteral("TSystemEinstellungForm.PC=Nummernkreise")});

    openPage();
    ASSERT_NE(m_page, nullptr);
    int tab = -1;
    for (int i = 0; i < m_dlg->PC->count(); ++i)
        if (m_dlg->PC->tabText(i) == QLatin1String("Nummernkreise"))
            tab = i;
    ASSERT_GE(tab, 0);
    EXPECT_TRUE(m_dlg->PC->widget(tab)->isAncestorOf(m_page));
    // Bound to the dialog's database and showing the seeded ranges in their order.
    EXPECT_EQ(ranges()->database(), &m_db->db());
    ASSERT_TRUE(ranges()->isOpen());
    ranges()->fetchAll();
    QStringList shown;
    for (int r = 0; r < ranges()->recordCount(); ++r)
        shown << ranges()->rowValue(r, ranges()->fieldIndex(QStringLiteral("IDENT"))).toString() + QLatin1Char('/')
                     + ranges()->rowValue(r, ranges()->fieldIndex(QStringLiteral("SUB_IDENT"))).toString();
    EXPECT_EQ(shown, (QStringList{QStringLiteral("firmen/"), QStringLiteral("person/1"), QStringLiteral("person/2")}));

    auto *grid = child<QTableView>("dbgZaehlring");
    QStringList headers;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        headers << grid->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headers, (QStringList{QStringLiteral("Bezeichnung"), QStringLiteral("gültig von"), QStringLiteral("gültig bis")}));
    // The identifier column takes the free width and never gets narrower than 60 pixels.
    for (int width : {700, 260}) {
        m_dlg->resize(width + 200, 520);
        QApplication::processEvents();
        EXPECT_GE(grid->columnWidth(0), 60);
        const int used = grid->columnWidth(0) + grid->columnWidth(1) + grid->columnWidth(2);
        if (grid->viewport()->width() - grid->columnWidth(1) - grid->columnWidth(2) >= 60) {
            EXPECT_NEAR(used, grid->viewport()->width(), 3) << "viewport " << grid->viewport()->width();
        }
    }
    // The grid follows the dataset and the dataset follows the grid.
    standOn(2);
    EXPECT_EQ(grid->currentIndex().row(), ranges()->recNo());
    grid->setCurrentIndex(grid->model()->index(0, 0));
    EXPECT_EQ(ranges()->recNo(), 0);
    EXPECT_EQ(child<QLineEdit>("edGenerator")->text(), QStringLiteral("GEN_NUMMER_%1").arg(ranges()->fieldByName(QStringLiteral("ID")).asInt64()));
}

TEST_F(ZaehlringTest, NewRangeTakesItsIdFromTheGeneratorAndGetsItsCounter)
{
    openPage();
    const qint64 before = sql(QStringLiteral("select gen_id(GEN_ZAEHLRING_ID, 0) from rdb$database")).toLongLong();
    press(TExtNavigator::nbInsert);
    ASSERT_EQ(ranges()->state(), db::DataSet::Insert);
    EXPECT_EQ(m_page->focusWidget(), child<QLineEdit>("edIdent")) << "insert focuses the identifier";
    EXPECT_TRUE(child<QLineEdit>("edLetzterWert")->isReadOnly()) << "a new range has no counter to edit yet";
    EXPECT_EQ(items(child<QComboBox>("cbFilterfeld")), QStringList{QStringLiteral("<kein>")});
    type("edIdent", QStringLiteral("rechnung"));
    type("edStartwert", QStringLiteral("100"));
    type("edGueltigVon", QStringLiteral("01.01.2024"));
    choose(child<QComboBox>("cbTabelle"), QStringLiteral("FIRMEN"));
    choose(child<QComboBox>("cbFeld"), QStringLiteral("NUMMER"));
    press(TExtNavigator::nbPost);
    ASSERT_EQ(ranges()->state(), db::DataSet::Browse);

    const qint64 id = sql(QStringLiteral("select gen_id(GEN_ZAEHLRING_ID, 0) from rdb$database")).toLongLong();
    EXPECT_EQ(id, before + 1);
    EXPECT_EQ(sql(QStringLiteral("select count(*) from ZAEHLRING where ID = %1 and IDENT = 'rechnung' and STARTWERT = 100 "
                                 "and GUELTIG_VON = DATE '2024-01-01' and RELATION_NAME = 'FIRMEN' and FIELD_NAME = 'NUMMER' "
                                 "and EINDEUTIG = 0 and NUR_LESEN = 0 and DC is not null and DM is not null").arg(id))
                  .toInt(),
              1);
    EXPECT_EQ(sql(QStringLiteral("select count(*) from RDB$GENERATORS where RDB$GENERATOR_NAME = 'GEN_NUMMER_%1'").arg(id)).toInt(), 1);
    EXPECT_EQ(counter(int(id)), 0);
    // The page stands on the saved range and names its generator.
    EXPECT_EQ(ranges()->fieldByName(QStringLiteral("ID")).asInt64(), id);
    EXPECT_EQ(child<QLineEdit>("edGenerator")->text(), QStringLiteral("GEN_NUMMER_%1").arg(id));
    EXPECT_FALSE(child<QLineEdit>("edLetzterWert")->isReadOnly());
}

TEST_F(ZaehlringTest, LastValueSetsTheCounterOnlyWhenEdited)
{
    struct Case
    {
        const char *what;
        QString typed;   // into "letzter Wert"; null: untouched, only the end date changes
        qint64 expected;
    };
    const Case cases[] = {
        {"edited", QStringLiteral("500"), 500},
        {"edited to zero", QStringLiteral("0"), 0},
        {"-1 leaves the counter", QStringLiteral("-1"), 8},
        {"only dates changed", QString(), 8},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        exec(QStringLiteral("execute procedure SP_SET_NUMMER('GEN_NUMMER_1', 7)"));
        openPage();
        standOn(1);
        EXPECT_EQ(child<QLineEdit>("edLetzterWert")->text(), QStringLiteral("7"));
        // Meanwhile somebody draws a number: a counter the user did not edit must not go back.
        EXPECT_EQ(sql(QStringLiteral("select N from SP_GET_NUMMER_INTERN('GEN_NUMMER_1', 1)")).toLongLong(), 8);
        if (c.typed.isNull())
            type("edGueltigBis", QStringLiteral("30.06.2031"));
        else
            type("edLetzterWert", c.typed);
        press(TExtNavigator::nbPost);
        EXPECT_EQ(ranges()->state(), db::DataSet::Browse);
        EXPECT_EQ(counter(1), c.expected);
        EXPECT_EQ(ranges()->fieldByName(QStringLiteral("N")).asInt64(), c.expected) << "the page shows the counter as stored";
        if (c.typed.isNull()) {
            EXPECT_EQ(sql(QStringLiteral("select GUELTIG_BIS from ZAEHLRING where ID = 1")).toDate(), QDate(2031, 6, 30));
        }
        m_dlg->done(0);
        m_dlg.reset();
    }
}

TEST_F(ZaehlringTest, CounterBelowMinusOneIsRefusedAndTheEditStays)
{
    exec(QStringLiteral("execute procedure SP_SET_NUMMER('GEN_NUMMER_1', 7)"));
    openPage();
    standOn(1);
    type("edLetzterWert", QStringLiteral("-5"));
    Dialogs::expectMessage(QStringLiteral("nicht kleiner als -1"));
    press(TExtNavigator::nbPost);
    EXPECT_EQ(ranges()->state(), db::DataSet::Edit);
    EXPECT_EQ(counter(1), 7);
    press(TExtNavigator::nbCancel);
}

TEST_F(ZaehlringTest, EmptyTextsAreStoredAsEmptyStrings)
{
    openPage();
    standOn(1);   // person 1: mask "Zahl(.6)", sub-range field "TYP"
    type("edFormatMaske", QString());
    choose(child<QComboBox>("cbFilterfeld"), QStringLiteral("<kein>"));
    press(TExtNavigator::nbPost);
    EXPECT_EQ(sql(QStringLiteral("select count(*) from ZAEHLRING where ID = 1 and FORMAT_MASKE = '' "
                                 "and SUB_IDENT_FIELD = ''"))
                  .toInt(),
              1);
    EXPECT_EQ(sql(QStringLiteral("select count(*) from ZAEHLRING where ID = 1 and (FORMAT_MASKE is null or SUB_IDENT_FIELD is null)")).toInt(), 0);
}

TEST_F(ZaehlringTest, TableAndColumnChoicesComeFromTheCatalogue)
{
    // A listed column that is text, not integer, is no sub-range field.
    exec(QStringLiteral("insert into APP$ZAEHLRING_SUBIDENT (IDENT, TABELLE, SUB_IDENT_FIELD) values ('PERSON', 'PERSON', 'IDENTNR')"));
    openPage();
    auto *tabelle = child<QComboBox>("cbTabelle");
    auto *feld = child<QComboBox>("cbFeld");
    auto *filter = child<QComboBox>("cbFilterfeld");
    const QStringList tables = items(tabelle);
    EXPECT_TRUE(tables.contains(QStringLiteral("PERSON")));
    EXPECT_TRUE(tables.contains(QStringLiteral("FIRMEN")));
    EXPECT_FALSE(tables.contains(QStringLiteral("ZAEHLRING")));
    for (const QString &t : tables)
        EXPECT_FALSE(t.contains(QLatin1Char('$'))) << t.toStdString();
    QStringList sorted = tables;
    sorted.sort();
    EXPECT_EQ(tables, sorted);

    standOn(1);   // person, table PERSON
    EXPECT_EQ(tabelle->currentText(), QStringLiteral("PERSON"));
    EXPECT_EQ(feld->currentText(), QStringLiteral("IDENTNR"));
    // Exactly the plain text columns of the table.
    db::Transaction tr(&m_db->db(), db::Transaction::readParams());
    db::Query q(&m_db->db(), &tr);
    q.setSql(QStringLiteral("select trim(RF.RDB$FIELD_NAME), F.RDB$FIELD_TYPE, coalesce(F.RDB$FIELD_SUB_TYPE, 0) "
                            "from RDB$RELATION_FIELDS RF join RDB$FIELDS F on F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE "
                            "where RF.RDB$RELATION_NAME = 'PERSON'"));
    QStringList text, other;
    for (q.open(); !q.eof(); q.next())
        ((q.value(1).toInt() == 14 || q.value(1).toInt() == 37) && q.value(2).toInt() == 0 ? text : other) << q.value(0).toString();
    q.close();
    tr.commit();
    text.sort();
    EXPECT_EQ(items(feld), text);
    ASSERT_TRUE(other.contains(QStringLiteral("TYP")));
    EXPECT_EQ(items(filter), (QStringList{QStringLiteral("<kein>"), QStringLiteral("TYP")}));
    EXPECT_EQ(filter->currentText(), QStringLiteral("TYP"));

    // The firmen range (ID 3) stores '' as its sub-range field: "<kein>" is shown.
    standOn(3);
    EXPECT_EQ(filter->currentText(), QStringLiteral("<kein>"));
    EXPECT_EQ(items(filter), (QStringList{QStringLiteral("<kein>"), QStringLiteral("TYP")}));

    // Another table offers its own text columns; a column it does not have is dropped.
    standOn(1);
    choose(tabelle, QStringLiteral("FIRMEN"));
    EXPECT_TRUE(items(feld).contains(QStringLiteral("NUMMER")));
    EXPECT_FALSE(items(feld).contains(QStringLiteral("IDENTNR")));
    EXPECT_EQ(feld->currentIndex(), -1);
    choose(feld, QStringLiteral("NUMMER"));
    press(TExtNavigator::nbPost);
    EXPECT_EQ(sql(QStringLiteral("select RELATION_NAME || '.' || FIELD_NAME from ZAEHLRING where ID = 1")).toString(),
              QStringLiteral("FIRMEN.NUMMER"));

    // An identifier without entries offers only "<kein>".
    exec(QStringLiteral("insert into ZAEHLRING (ID, IDENT) values (50, 'auftrag')"));
    press(TExtNavigator::nbRefresh);
    standOn(50);
    EXPECT_EQ(items(filter), QStringList{QStringLiteral("<kein>")});
}

TEST_F(ZaehlringTest, IdentifierTakesOnlyLettersAndDigits)
{
    struct Case
    {
        QString typed;
        QString expected;
    };
    const Case cases[] = {
        {QStringLiteral("person2"), QStringLiteral("person2")},
        {QStringLiteral("re-ch_nung 24"), QStringLiteral("rechnung24")},
        {QStringLiteral("Äuftrag.ß%s"), QStringLiteral("uftrags")},
        {QStringLiteral("$GEN'; drop"), QStringLiteral("GENdrop")},
    };
    openPage();
    standOn(1);
    auto *ident = child<QLineEdit>("edIdent");
    for (const Case &c : cases) {
        ident->clear();
        QTest::keyClicks(ident, c.typed);
        EXPECT_EQ(ident->text(), c.expected) << c.typed.toStdString();
    }
    // Backspace and the cursor keys still work.
    QTest::keyClick(ident, Qt::Key_Left);
    QTest::keyClick(ident, Qt::Key_Backspace);
    EXPECT_EQ(ident->text(), QStringLiteral("GENdrp"));
    // Pasted text is filtered the same way.
    ident->clear();
    QApplication::clipboard()->setText(QStringLiteral("ab-c d"));
    QTest::keyClick(ident, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(ident->text(), QStringLiteral("abcd"));
    press(TExtNavigator::nbCancel);
}

TEST_F(ZaehlringTest, MaskDialogPreviewsAndTakesTheMask)
{
    openPage();
    standOn(1);
    const QString original = QStringLiteral("Zahl(.6)");
    ASSERT_EQ(child<QLineEdit>("edFormatMaske")->text(), original);
    withMaskDialog(
        [&](QDialog *d) {
            EXPECT_EQ(d->windowTitle(), QStringLiteral("Maskenformat bearbeiten"));
            auto *format = d->findChild<QLineEdit *>(QStringLiteral("edFormat"));
            auto *result = d->findChild<QLineEdit *>(QStringLiteral("edResultat"));
            auto *counter = d->findChild<QSpinBox *>(QStringLiteral("seTestzaehler"));
            auto *examples = d->findChild<QListWidget *>(QStringLiteral("lbBeispiele"));
            auto *ok = d->findChild<QPushButton *>(QStringLiteral("btnOK"));
            auto *reset = d->findChild<QPushButton *>(QStringLiteral("btnReset"));
            EXPECT_EQ(format->text(), original);
            EXPECT_TRUE(result->isReadOnly());
            EXPECT_EQ(counter->value(), 1234);
            EXPECT_EQ(counter->minimum(), -1000000);
            EXPECT_EQ(counter->maximum(), 1000000);
            EXPECT_EQ(result->text(), QStringLiteral("001234"));
            EXPECT_FALSE(ok->isEnabled()) << "nothing changed yet";

            // The examples by name; double-click, Enter and space take the mask.
            const QStringList ex = kit::NumberMaskExamples();
            ASSERT_EQ(examples->count(), ex.size());
            for (int i = 0; i < ex.size(); ++i)
                EXPECT_EQ(examples->item(i)->text(), ex[i].section(QLatin1Char('='), 0, 0));
            const int rechnung = 2;   // "Rechnungsnummer mit Datum"
            emit examples->itemDoubleClicked(examples->item(rechnung));
            EXPECT_EQ(format->text(), QStringLiteral("Text(R) Datum(JJMM) Zahl(.6)"));
            EXPECT_EQ(result->text(), QStringLiteral("R") + QDate::currentDate().toString(QStringLiteral("yyMM")) + QStringLiteral("001234"));
            EXPECT_TRUE(ok->isEnabled());
            for (int key : {int(Qt::Key_Return), int(Qt::Key_Space)}) {
                format->setText(original);
                examples->setCurrentRow(0);   // "Standard 8 stellig"
                QTest::keyClick(examples, Qt::Key(key));
                EXPECT_EQ(format->text(), QStringLiteral("Zahl(.8)")) << key;
                EXPECT_TRUE(d->isVisible()) << "Enter on an example does not close the dialog";
            }
            // The test counter drives the result.
            counter->setValue(-42);
            EXPECT_EQ(result->text(), kit::EvaluateNumberMask(format->text(), -42, QDateTime::currentDateTime()));
            counter->setValue(1234);
            // Reset restores the mask the dialog came with; OK is off again.
            reset->click();
            EXPECT_EQ(format->text(), original);
            EXPECT_FALSE(ok->isEnabled());
            format->setText(QStringLiteral("Text(A) Zahl(.4)"));
            EXPECT_EQ(result->text(), QStringLiteral("A1234"));
        },
        true);
    EXPECT_EQ(ranges()->state(), db::DataSet::Edit);
    EXPECT_EQ(child<QLineEdit>("edFormatMaske")->text(), QStringLiteral("Text(A) Zahl(.4)"));
    press(TExtNavigator::nbPost);
    EXPECT_EQ(sql(QStringLiteral("select FORMAT_MASKE from ZAEHLRING where ID = 1")).toString(), QStringLiteral("Text(A) Zahl(.4)"));

    // Cancel leaves range and mask alone.
    withMaskDialog([](QDialog *d) { d->findChild<QLineEdit *>(QStringLiteral("edFormat"))->setText(QStringLiteral("Zahl()")); }, false);
    EXPECT_EQ(ranges()->state(), db::DataSet::Browse);
    EXPECT_EQ(child<QLineEdit>("edFormatMaske")->text(), QStringLiteral("Text(A) Zahl(.4)"));
}

TEST_F(ZaehlringTest, MaskDialogShowsBadMasksLikeTheDatabase)
{
    // Masks without date parts, so the current time cannot make client and database differ.
    const QStringList masks = {
        QStringLiteral("Text(A) Zahl(.6"),
        QStringLiteral("Text(A Zahl(.6)"),
        QStringLiteral("Text(A)) Zahl(.6)"),
        QStringLiteral("((("),
        QStringLiteral(")))"),
        QStringLiteral("Zahl(.500)"),
        QStringLiteral("Zahl(%500d)"),
        QStringLiteral("Text(A)Zahl(%n)"),
        QStringLiteral("Text(A)Zahl(%s)"),
        QStringLiteral("Text(A)Zahl(%s%s%s%s)"),
        QStringLiteral("Text(A)Zahl(%d%d)"),
        QStringLiteral("Text(A)Zahl(100%)"),
        QStringLiteral("Txet(A) Zahl(.4)"),
        QStringLiteral("Zahll(.4) Text(B)"),
        QStringLiteral("Text(A) Dtum(JJ)"),
        QStringLiteral("Text(R) (x) Zahl(.4)"),
    };
    openPage();
    standOn(1);
    db::Transaction tr(&m_db->db(), db::Transaction::readParams());
    db::Query q(&m_db->db(), &tr);
    q.setSql(QStringLiteral("select NR from SP_FORMAT_NUMMER(:M, 1234, current_timestamp)"));
    withMaskDialog(
        [&](QDialog *d) {
            auto *format = d->findChild<QLineEdit *>(QStringLiteral("edFormat"));
            auto *result = d->findChild<QLineEdit *>(QStringLiteral("edResultat"));
            for (const QString &m : masks) {
                format->setText(m);
                const QString client = kit::EvaluateNumberMask(m, 1234, QDateTime::currentDateTime());
                EXPECT_EQ(result->text(), client) << m.toStdString();
                q.setParam(QStringLiteral("M"), m);
                q.open();
                EXPECT_EQ(q.value(0).toString(), client) << m.toStdString();
                q.close();
                EXPECT_LE(result->text().size(), kit::NumberMaskMaxLength);
            }
        },
        false);
    tr.commit();
}

TEST_F(ZaehlringTest, ClosingTheDialogSavesTheTypedChangeAndCommits)
{
    openPage();
    standOn(2);
    type("edStartwert", QStringLiteral("4711"));
    ASSERT_EQ(ranges()->state(), db::DataSet::Edit);
    auto *read = child<db::Transaction>("TransRead");
    auto *write = child<db::Transaction>("TransWrite");
    EXPECT_TRUE(read->isActive());
    m_dlg->done(0);
    EXPECT_FALSE(read->isActive());
    EXPECT_FALSE(write->isActive());
    // Another attachment sees the change.
    auto other = m_db->attachAgain();
    db::Transaction tr(other.get(), db::Transaction::readParams());
    EXPECT_EQ(db::Query::selectValue(tr, QStringLiteral("select STARTWERT from ZAEHLRING where ID = 2")).toInt(), 4711);
    tr.commit();
    m_dlg.reset();
}

TEST_F(ZaehlringTest, ReadOnlyForOrdinaryUsers)
{
    User::SetCurrentUser(QStringLiteral("benutzer"), 1, 2);
    openPage();
    standOn(1);
    EXPECT_TRUE(m_page->formInfo()->ReadOnly());
    EXPECT_TRUE(nav()->readOnly());
    for (int b : {TExtNavigator::nbInsert, TExtNavigator::nbEdit, TExtNavigator::nbDelete, TExtNavigator::nbPost})
        EXPECT_FALSE(nav()->enabledBits() & (1 << b)) << b;
    EXPECT_TRUE(nav()->enabledBits() & (1 << TExtNavigator::nbNext));
    for (const char *w : {"edIdent", "edLetzterWert", "edFormatMaske", "cbTabelle", "cbFeld", "cbFilterfeld",
                          "btnFormatMaske", "cbEindeutig"})
        EXPECT_FALSE(child<QWidget>(w)->isEnabled()) << w;
    EXPECT_THROW(ranges()->edit(), db::DbError);
    press(TExtNavigator::nbInsert);
    EXPECT_EQ(ranges()->state(), db::DataSet::Browse);
    EXPECT_EQ(sql(QStringLiteral("select count(*) from ZAEHLRING")).toInt(), 3);
}
