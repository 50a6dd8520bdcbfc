// Start of a session behind the shown main window: the database is opened on a worker thread,
// the user logs in when it is there, and the window's database functions wait for both.

#include "hostfixture.h"

#include "host/app/mainwindow.h"
#include "host/app/startup.h"
#include "host/core/appoptions.h"
#include "host/recordware/datenmodul.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/systools.h"
#include "host/shellware/user.h"
#include "platform/db/database.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QStatusBar>

namespace {

class StartupTest : public HostTest
{
protected:
    void TearDown() override
    {
        // The fixture's own connection is the shared one again for its clean-up.
        Dm::DatenModul()->setDatabase(&m_db->db());
        HostTest::TearDown();
    }

    host::AppOptions options(const QString &tenant) const
    {
        host::AppOptions o;
        o.home = m_home.path();
        o.tenant = tenant;
        return o;
    }

    static bool databaseFunctionsOn(MainWindow &w)
    {
        const bool settings = w.findAction(QStringLiteral("Datei/Systemeinstellungen\u2026"))->isEnabled();
        const bool modules = w.moduleMenu()->menuAction()->isEnabled();
        const bool reports = w.reportMenu()->menuAction()->isEnabled();
        const bool reload = w.findAction(QStringLiteral("Extras/Nachschlagelisten neu laden"))->isEnabled();
        EXPECT_TRUE(settings == modules && modules == reports && reports == reload) << "switched one by one";
        return settings;
    }

    bool protocolHas(const QString &text) const
    {
        for (const auto &l : Systools::Protocol::instance().lines())
            if (l.text.contains(text))
                return true;
        return false;
    }
};

} // namespace

TEST_F(StartupTest, TheWindowWorksWhileTheNewDatabaseIsMadeAndTheUserLogsInAfterwards)
{
    MainWindow w;
    hostapp::Startup s(options(QStringLiteral("Neu")), QStringLiteral(FD_TEST_SCHEMA_DIR), QStringLiteral("benutzer"));
    QSignalSpy ready(&s, &hostapp::Startup::ready);
    QSignalSpy failed(&s, &hostapp::Startup::failed);
    s.setWindow(&w);
    w.show();
    EXPECT_FALSE(databaseFunctionsOn(w));
    EXPECT_TRUE(w.findAction(QStringLiteral("Datei/Beenden"))->isEnabled());
    EXPECT_TRUE(w.windowMenu()->menuAction()->isEnabled());
    EXPECT_TRUE(w.statusBar()->currentMessage().contains(QStringLiteral("Verbindung zur Datenbank")));
    // Rebuilding the menus (a module loaded later) keeps them off.
    w.buildMenus();
    EXPECT_FALSE(databaseFunctionsOn(w));

    s.start();
    s.start(); // a second call while connecting changes nothing
    ASSERT_TRUE(ready.wait(120000)) << "failed: " << failed.size();
    EXPECT_TRUE(failed.isEmpty());
    EXPECT_TRUE(s.isReady());
    EXPECT_TRUE(s.openResult().created);
    EXPECT_EQ(ready.size(), 1);
    EXPECT_TRUE(databaseFunctionsOn(w));
    EXPECT_EQ(w.statusBar()->currentMessage(), QStringLiteral("Neue Datenbank angelegt."));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Fehlerdoku \u2013 Neu \u2013 benutzer"));
    EXPECT_EQ(User::CurUser_Name(), QStringLiteral("benutzer"));
    EXPECT_EQ(User::CurMandant_Name(), QStringLiteral("Neu"));
    EXPECT_EQ(Dm::DatenModul()->Database(), &s.database());
    EXPECT_TRUE(QFile::exists(QDir(m_home.path()).filePath(QStringLiteral("Daten/Neu/fehlerdoku.fdb"))));
    // The login was recorded through the session's own connection.
    db::Transaction tr(&s.database(), db::Transaction::readParams());
    tr.start();
    EXPECT_EQ(db::Query::selectValue(tr, QStringLiteral("select count(*) from APP$BENUTZER where NAME = 'benutzer' "
                                                        "and CONNECT_ID = current_connection")).toInt(), 1);
    tr.commit();
}

TEST_F(StartupTest, ADatabaseThatCannotBeMadeIsShownAndRecordedAndTheFunctionsStayOff)
{
    // A file where the tenants' data folder would have to be.
    QFile blocker(QDir(m_home.path()).filePath(QStringLiteral("Daten")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    MainWindow w;
    hostapp::Startup s(options(QStringLiteral("Gesperrt")), QStringLiteral(FD_TEST_SCHEMA_DIR), QStringLiteral("benutzer"));
    QSignalSpy failed(&s, &hostapp::Startup::failed);
    QSignalSpy ready(&s, &hostapp::Startup::ready);
    s.setWindow(&w);
    Dialogs::expectMessage(QStringLiteral("Datenordner"));
    s.start();
    ASSERT_TRUE(failed.wait(60000));
    EXPECT_EQ(failed.first().first().toInt(), 1);
    EXPECT_TRUE(ready.isEmpty());
    EXPECT_FALSE(databaseFunctionsOn(w));
    EXPECT_EQ(Dialogs::pendingExpectations(), 0);
    EXPECT_TRUE(protocolHas(QStringLiteral("Datenordner")));
    EXPECT_EQ(w.statusBar()->currentMessage(), QStringLiteral("Keine Verbindung zur Datenbank."));
}

TEST_F(StartupTest, AnUnknownUserEndsTheSessionWithoutTheDataModuleKeepingTheConnection)
{
    // The fixture's database, copied to where a tenant's database lives.
    const QString folder = QDir(m_home.path()).filePath(QStringLiteral("Daten/Kopie"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = QDir(folder).filePath(QStringLiteral("fehlerdoku.fdb"));
    testing_fd::TestDb::createAt(path);

    MainWindow w;
    hostapp::Startup s(options(QStringLiteral("Kopie")), QStringLiteral(FD_TEST_SCHEMA_DIR), QStringLiteral("niemand"));
    QSignalSpy failed(&s, &hostapp::Startup::failed);
    Dialogs::expectMessage(QStringLiteral("niemand"));
    s.setWindow(&w);
    s.start();
    ASSERT_TRUE(failed.wait(60000));
    EXPECT_EQ(failed.first().first().toInt(), 1);
    EXPECT_FALSE(s.openResult().created);
    EXPECT_NE(Dm::DatenModul()->Database(), &s.database());
    EXPECT_FALSE(databaseFunctionsOn(w));
    EXPECT_TRUE(protocolHas(QStringLiteral("niemand")));
}

TEST_F(StartupTest, AConnectionReadyBeforeTheWindowWaitsForItAndClosingEarlyIsSafe)
{
    const QString folder = QDir(m_home.path()).filePath(QStringLiteral("Daten/Frueh"));
    ASSERT_TRUE(QDir().mkpath(folder));
    testing_fd::TestDb::createAt(QDir(folder).filePath(QStringLiteral("fehlerdoku.fdb")));
    {
        hostapp::Startup s(options(QStringLiteral("Frueh")), QStringLiteral(FD_TEST_SCHEMA_DIR), QStringLiteral("benutzer"));
        QSignalSpy ready(&s, &hostapp::Startup::ready);
        s.start();
        // The worker reports back; without a window nothing happens yet.
        EXPECT_FALSE(ready.wait(1500));
        MainWindow w;
        s.setWindow(&w);
        ASSERT_TRUE(ready.wait(60000));
        EXPECT_TRUE(databaseFunctionsOn(w));
        EXPECT_EQ(User::CurUser_Name(), QStringLiteral("benutzer"));
    }
    // A session given up while it is still connecting: the worker is waited for, nothing is left open.
    {
        MainWindow w;
        auto s = std::make_unique<hostapp::Startup>(options(QStringLiteral("Frueh")), QStringLiteral(FD_TEST_SCHEMA_DIR),
                                                    QStringLiteral("benutzer"));
        s->setWindow(&w);
        s->start();
        s.reset();
        QCoreApplication::processEvents();
        EXPECT_FALSE(databaseFunctionsOn(w));
    }
}
