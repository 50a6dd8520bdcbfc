// The module contract through the test module library: registration at load, opening forms by
// class name, arguments, published properties, global changes, the settings dialog, the report
// protocol and the main window built from the manifests.

#include "hostfixture.h"

#include "host/app/listmodules.h"
#include "host/app/mainwindow.h"
#include "host/app/reports.h"
#include "host/app/systemeinstellung.h"
#include "host/recordware/datenmodul.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/modinfo.h"
#include "host/shellware/systools.h"
#include "host/shellware/user.h"
#include "platform/db/dataset.h"
#include "platform/db/transaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>

using ModulesTest = HostTest;

namespace {
TWin95Form *run(const QString &cls, const QVariantList &args = {}) { return Modinfo::CreateAndRunForm(cls, args, int(args.size()) - 1); }
qint64 prop(QObject *o, const char *name) { return Systools::GetCompOrdProp(o, QString::fromLatin1(name)); }
QString sprop(QObject *o, const char *name) { return Systools::GetCompStrProp(o, QString::fromLatin1(name)); }
} // namespace

TEST_F(ModulesTest, LoadingTheLibraryRegistersItsClassesWithTheirManifests)
{
    const QStringList lines = hostapp::moduleListing();
    const QStringList expected{
        "testmodule.mdl\tTTestRecordForm\tform\tTestfirmen\t\tfsReadOnly\t",
        "testmodule.mdl\tTTestPageForm\tform\tSystemeinstellungen - Testseite\tffNoMDIChild,ffNoReference\tfsAll\tTSystemEinstellungForm.PC=Testseite",
        "testmodule.mdl\tTTestDialogForm\tform\tTestdialog\tffModal,ffOnlyOneCanRunning\tfsAll\t",
        "testmodule.mdl\tTTestReportForm\treport\tTestfirmenliste\t\tfsAll\tTTestRecordForm=",
    };
    for (const QString &e : expected)
        EXPECT_TRUE(lines.contains(e)) << e.toStdString() << "\nin:\n" << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(Modinfo::IsFormPresent(QStringLiteral("TTestRecordForm")));
    EXPECT_FALSE(Modinfo::IsFormPresent(QStringLiteral("TFrmKostenTr")));
    const Modinfo::ClassEntry *r = Modinfo::FindClass(QStringLiteral("TTestReportForm"));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(static_cast<const TReportModuleInfo *>(r->manifest.get())->Ident, QStringLiteral("\\Test\\Firmenliste"));
}

TEST_F(ModulesTest, ALibraryThatFailsToLoadIsReportedAndLoadingGoesOn)
{
    QTemporaryDir dir;
    QFile bad(QDir(dir.path()).filePath(QStringLiteral("aaa_kaputt.mdl")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("kein ELF");
    bad.close();
    ASSERT_TRUE(QFile::copy(QDir(moduleDir()).filePath(QStringLiteral("testmodule.mdl")),
                            QDir(dir.path()).filePath(QStringLiteral("zzz_test.mdl"))));
    Dialogs::expectMessage(QStringLiteral("aaa_kaputt.mdl"));
    const Modinfo::LoadResult r = Modinfo::LoadModules(dir.path(), false);
    ASSERT_EQ(r.failed.size(), 1);
    EXPECT_TRUE(r.failed.first().startsWith(QStringLiteral("aaa_kaputt.mdl")));
    EXPECT_EQ(r.loaded, QStringList{QStringLiteral("zzz_test.mdl")});
    bool logged = false;
    for (const Systools::ProtocolLine &l : Systools::Protocol::instance().lines())
        logged = logged || l.context == QLatin1String("Modinfo.LoadModules(aaa_kaputt.mdl)");
    EXPECT_TRUE(logged);
    // The classes of the copy were registered already: the first library keeps them.
    EXPECT_EQ(Modinfo::FindClass(QStringLiteral("TTestRecordForm"))->library, QStringLiteral("testmodule.mdl"));
}

TEST_F(ModulesTest, OpeningByClassNameAndMovingOnASecondExecute)
{
    const int a = addFirma(QStringLiteral("Anton"));
    const int b = addFirma(QStringLiteral("Berta"));
    const int c = addFirma(QStringLiteral("Cäsar"));
    // Empty list: the first row of the unfiltered list.
    TWin95Form *f = run(QStringLiteral("TTestRecordForm"));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(prop(f, "Firmen_ID"), a);
    EXPECT_EQ(prop(f, "Executes"), 1);
    // A second call with another ID moves the open form without reopening it.
    TWin95Form *g = run(QStringLiteral("TTestRecordForm"), {c});
    EXPECT_EQ(g, f);
    EXPECT_EQ(prop(f, "Firmen_ID"), c);
    EXPECT_EQ(prop(f, "Executes"), 2);
    EXPECT_EQ(Modinfo::OpenForms(QStringLiteral("TTestRecordForm")).size(), 1);
    // Integers and texts arrive as given; a text that is a number selects as well.
    run(QStringLiteral("TTestRecordForm"), {QString::number(b), 7, QStringLiteral("Kunde")});
    EXPECT_EQ(sprop(f, "LastArgs"), QStringLiteral("QString:%1|int:7|QString:Kunde").arg(b));
    EXPECT_EQ(prop(f, "Firmen_ID"), b);
    // 0 changes nothing; a text that is no number changes nothing.
    run(QStringLiteral("TTestRecordForm"), {0});
    run(QStringLiteral("TTestRecordForm"), {QStringLiteral("abc")});
    EXPECT_EQ(prop(f, "Firmen_ID"), b);
    // A negative ID starts a new, unsaved record, unless the form is read-only (fsReadOnly for a
    // user of level 1).
    auto *ds = f->findChild<db::DataSet *>(QStringLiteral("Firmen"));
    run(QStringLiteral("TTestRecordForm"), {-1});
    EXPECT_EQ(ds->state(), db::DataSet::Browse);
    f->formInfo()->setReadOnly(false);
    Modinfo::NotifyGlobalChanged(f, 0);
    run(QStringLiteral("TTestRecordForm"), {-1});
    EXPECT_EQ(ds->state(), db::DataSet::Insert);
    ds->cancel();
    // A published property that selects a record.
    EXPECT_TRUE(Systools::SetCompOrdProp(f, QStringLiteral("Firmen_ID"), a));
    EXPECT_EQ(prop(f, "Firmen_ID"), a);
    // Unknown classes give a message and no form.
    Dialogs::expectMessage(QStringLiteral("TFrmKostenTr"));
    EXPECT_EQ(run(QStringLiteral("TFrmKostenTr"), {a}), nullptr);
}

TEST_F(ModulesTest, GlobalChangeReloadsListsOnlyWithBit2ButAlwaysReappliesReadOnly)
{
    addFirma(QStringLiteral("Anton"));
    TWin95Form *f = run(QStringLiteral("TTestRecordForm"));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(prop(f, "LookupLoads"), 1); // the form's own 0xFFFF while it was created
    auto *ds = f->findChild<db::DataSet *>(QStringLiteral("Firmen"));
    auto *pick = f->findChild<QWidget *>(QStringLiteral("PickButton"));
    // fsReadOnly for a user of level 1: read-only from the start.
    EXPECT_TRUE(f->formInfo()->ReadOnly());
    EXPECT_EQ(ds->allowedUpdateKinds(), 0);
    EXPECT_FALSE(pick->isEnabled());
    struct Case { int flags; bool readOnly; int loads; } cases[] = {
        {0, false, 1}, {1, true, 1}, {2, false, 2}, {2, true, 3}, {0xFFFF, false, 4},
    };
    for (const Case &c : cases) {
        f->formInfo()->setReadOnly(c.readOnly);
        Modinfo::NotifyGlobalChanged(f, c.flags);
        EXPECT_EQ(prop(f, "LookupLoads"), c.loads) << c.flags;
        EXPECT_EQ(ds->allowedUpdateKinds(), c.readOnly ? 0 : int(db::DataSet::ukAll)) << c.flags;
        EXPECT_EQ(pick->isEnabled(), !c.readOnly) << c.flags;
    }
    // The host's broadcast reaches every open form.
    Modinfo::BroadcastGlobalChanged(2);
    EXPECT_EQ(prop(f, "LookupLoads"), 5);
}

TEST_F(ModulesTest, ReadOnlyStateFollowsSecurityAndUserLevel)
{
    struct Case { int level; bool readOnly; } cases[] = {{0, true}, {127, true}, {128, false}, {255, false}};
    for (const Case &c : cases) {
        User::SetCurrentUser(QStringLiteral("x"), c.level);
        TWin95Form *f = run(QStringLiteral("TTestRecordForm"));
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->formInfo()->ReadOnly(), c.readOnly) << c.level;
        // The privileged button shows from level 128; the navigator's extra button for 255 only.
        EXPECT_EQ(f->findChild<QWidget *>(QStringLiteral("PrivilegedButton"))->isVisibleTo(f), c.level >= 128) << c.level;
        EXPECT_EQ(f->findChild<QWidget *>(QStringLiteral("nbExtra"))->isVisibleTo(f), c.level == 255) << c.level;
        EXPECT_EQ(f->formInfo()->GetLevelSecurity(QStringLiteral("CanDelete")), c.level >= 128 ? 1 : 0);
        Modinfo::DestroyForm(f);
    }
}

TEST_F(ModulesTest, ModalFormRunsToItsEndAndOnlyOneInstance)
{
    QString seen;
    QTimer::singleShot(0, [&]() {
        const QList<TWin95Form *> open = Modinfo::OpenForms(QStringLiteral("TTestDialogForm"));
        ASSERT_EQ(open.size(), 1);
        seen = Systools::GetCompStrProp(open.first(), QStringLiteral("Text"));
        open.first()->closeModal(1);
    });
    EXPECT_EQ(run(QStringLiteral("TTestDialogForm"), {QStringLiteral("Hallo")}), nullptr);
    EXPECT_EQ(seen, QStringLiteral("Hallo"));
    EXPECT_TRUE(Modinfo::OpenForms(QStringLiteral("TTestDialogForm")).isEmpty());
}

TEST_F(ModulesTest, SettingsDialogEmbedsLinkedPagesWithItsDatabase)
{
    TSystemEinstellungForm dlg(&m_db->db());
    ASSERT_EQ(dlg.PC->objectName(), QStringLiteral("PC"));
    ASSERT_EQ(dlg.BPMandant->objectName(), QStringLiteral("BPMandant"));
    int tab = -1;
    for (int i = 0; i < dlg.PC->count(); ++i)
        if (dlg.PC->tabText(i) == QLatin1String("Testseite"))
            tab = i;
    ASSERT_GE(tab, 0);
    ASSERT_EQ(dlg.pages().size(), 1);
    TWin95Form *page = dlg.pages().first();
    EXPECT_EQ(page->parentWidget(), dlg.PC->widget(tab));
    EXPECT_EQ(Systools::GetCompOrdProp(page, QStringLiteral("BoundDatabase")), 0); // an object, not a number
    EXPECT_EQ(page->property("BoundDatabase").value<QObject *>(), &m_db->db());
    auto *tabelle = page->findChild<db::DataSet *>(QStringLiteral("Tabelle"));
    EXPECT_TRUE(tabelle->isOpen());
    // The connection page hands another database to the dialog: every page re-binds to it.
    auto other = m_db->attachAgain();
    dlg.setProperty("Database", QVariant::fromValue<QObject *>(other.get()));
    EXPECT_EQ(page->property("BoundDatabase").value<QObject *>(), other.get());
    EXPECT_EQ(page->findChild<db::Transaction *>(QStringLiteral("Trans"))->database(), other.get());
    EXPECT_TRUE(tabelle->isOpen());
    dlg.done(0);
}

TEST_F(ModulesTest, ReportProtocolQueriesRunsAndPassesCode8FromALinkedForm)
{
    const int a = addFirma(QStringLiteral("Anton"));
    const int b = addFirma(QStringLiteral("Berta"));
    const QString rep = QStringLiteral("TTestReportForm");
    EXPECT_TRUE(hostapp::reportAllows(rep, hostapp::Preview));
    EXPECT_TRUE(hostapp::reportAllows(rep, hostapp::Print));
    EXPECT_TRUE(hostapp::reportAllows(rep, hostapp::Design));
    TWin95Form *report = Modinfo::ReportForm(rep);
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(sprop(report, "Actions"), QStringLiteral("4,5,6"));
    // From the menu without a linked form: the action alone.
    hostapp::runReport(rep, hostapp::Print, nullptr);
    EXPECT_EQ(sprop(report, "Actions"), QStringLiteral("4,5,6,1"));
    // With the linked record form active: 8 first, the report reads Firmen_ID, then continues.
    TWin95Form *f = run(QStringLiteral("TTestRecordForm"), {b});
    hostapp::runReport(rep, hostapp::Preview, f);
    EXPECT_EQ(sprop(report, "Actions"), QStringLiteral("4,5,6,1,8,0"));
    EXPECT_EQ(prop(report, "Selection"), b);
    // An active form that is not linked gets no code 8.
    QWidget other;
    hostapp::runReport(rep, hostapp::Design, &other);
    EXPECT_EQ(sprop(report, "Actions"), QStringLiteral("4,5,6,1,8,0,2"));
    // A read-only manifest refuses design.
    report->reportInfo()->setReadOnly(true);
    EXPECT_FALSE(hostapp::reportAllows(rep, hostapp::Design));
    (void)a;
}

TEST_F(ModulesTest, MainWindowBuildsMenusShowsFormsAndMergesTheirTools)
{
    addFirma(QStringLiteral("Anton"));
    MainWindow w;
    w.show();
    EXPECT_NE(w.findAction(QStringLiteral("Module/Testfirmen")), nullptr);
    EXPECT_EQ(w.findAction(QStringLiteral("Module/Systemeinstellungen - Testseite")), nullptr); // a settings page
    EXPECT_NE(w.findAction(QStringLiteral("Berichte/Test/Firmenliste/Vorschau")), nullptr);
    EXPECT_NE(w.findAction(QStringLiteral("Extras/Nachschlagelisten neu laden")), nullptr);
    EXPECT_NE(w.findAction(QStringLiteral("Fenster")), nullptr);
    EXPECT_EQ(w.findAction(QStringLiteral("Module/Testfirmen"))->statusTip(), QStringLiteral("Firmen zum Testen bearbeiten"));

    w.findAction(QStringLiteral("Module/Testfirmen"))->trigger();
    ASSERT_EQ(w.mdiArea()->subWindowList().size(), 1);
    auto *f = qobject_cast<TWin95Form *>(w.mdiArea()->subWindowList().first()->widget());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(sprop(f, "Caller"), QString());
    EXPECT_EQ(w.activeForm(), f);
    // The form's "ToolsToolbar" is merged into the main window's tool area.
    EXPECT_TRUE(w.formTools()->isVisibleTo(&w));
    ASSERT_EQ(w.formTools()->actions().size(), 1);
    EXPECT_EQ(w.formTools()->actions().first()->text(), QStringLiteral("Testaktion"));
    // Its hint goes into the status line.
    f->setStatusHint(QStringLiteral("3 Firmen"));
    EXPECT_EQ(w.statusBar()->currentMessage(), QStringLiteral("3 Firmen"));
    // The same form again from the menu activates it.
    w.findAction(QStringLiteral("Module/Testfirmen"))->trigger();
    EXPECT_EQ(w.mdiArea()->subWindowList().size(), 1);
    // "Nachschlagelisten neu laden" broadcasts bit 2.
    const qint64 loads = prop(f, "LookupLoads");
    w.findAction(QStringLiteral("Extras/Nachschlagelisten neu laden"))->trigger();
    EXPECT_EQ(prop(f, "LookupLoads"), loads + 1);
    // A form opened from another form gets it as caller.
    run(QStringLiteral("TTestRecordForm"), {});
    EXPECT_EQ(sprop(f, "Caller"), QStringLiteral("TTestRecordForm"));
    // The "Fenster" menu lists the window.
    QMenu *fenster = w.windowMenu();
    emit fenster->aboutToShow();
    bool listed = false;
    for (QAction *a : fenster->actions())
        listed = listed || a->text().contains(QStringLiteral("Testfirmen"));
    EXPECT_TRUE(listed);
    // The report menu asks 4, 5, 6 before it opens and passes 8 first while the linked form is active.
    QMenu *reportMenu = w.findAction(QStringLiteral("Berichte/Test/Firmenliste"))->menu();
    ASSERT_NE(reportMenu, nullptr);
    emit reportMenu->aboutToShow();
    for (QAction *a : reportMenu->actions())
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    w.findAction(QStringLiteral("Berichte/Test/Firmenliste/Vorschau"))->trigger();
    TWin95Form *report = Modinfo::ReportForm(QStringLiteral("TTestReportForm"));
    EXPECT_TRUE(sprop(report, "Actions").endsWith(QStringLiteral("4,5,6,8,0"))) << sprop(report, "Actions").toStdString();
    EXPECT_EQ(prop(report, "Selection"), prop(f, "Firmen_ID"));
    // ffNoMDIChild: a window of its own, not an MDI child.
    TWin95Form *page = Modinfo::RunForm(QStringLiteral("TTestPageForm"), {}, -1, nullptr);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->isWindow());
    EXPECT_EQ(w.mdiArea()->subWindowList().size(), 1);
    w.close();
    EXPECT_TRUE(Modinfo::OpenForms().isEmpty());
}

TEST_F(ModulesTest, ClosingEverythingCopesWithPagesEmbeddedInAnotherForm)
{
    addFirma(QStringLiteral("Anton"));
    TWin95Form *outer = run(QStringLiteral("TTestRecordForm"));
    ASSERT_NE(outer, nullptr);
    // Two page forms living inside the record form, registered with the host like any form.
    TWin95Form *p1 = Modinfo::CreateForm(QStringLiteral("TTestPageForm"), {}, -1, outer);
    TWin95Form *p2 = Modinfo::CreateForm(QStringLiteral("TTestPageForm"), {}, -1, outer);
    ASSERT_NE(p1, nullptr);
    ASSERT_NE(p2, nullptr);
    QPointer<TWin95Form> g1(p1), g2(p2), go(outer);
    Modinfo::DestroyAllForms();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(go.isNull());
    EXPECT_TRUE(g1.isNull());
    EXPECT_TRUE(g2.isNull());
    EXPECT_TRUE(Modinfo::OpenForms().isEmpty());
}
