#include "hostfixture.h"

#include "host/recordware/datenmodul.h"
#include "host/shellware/cfg.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/modinfo.h"
#include "host/shellware/systools.h"
#include "host/shellware/user.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"

#include <QDir>

void HostTest::loadTestModule()
{
    static bool loaded = false;
    if (loaded)
        return;
    loaded = true;
    const Modinfo::LoadResult r = Modinfo::LoadModules(moduleDir(), true);
    ASSERT_TRUE(r.failed.isEmpty()) << r.failed.join(QLatin1Char('\n')).toStdString();
}

void HostTest::SetUp()
{
    m_db = std::make_unique<testing_fd::TestDb>();
    Dm::DatenModul()->setDatabase(&m_db->db());
    Cfg::SetConfigDir(QDir(m_home.path()).filePath(QStringLiteral("config")));
    Cfg::SetInstallDir(m_home.path());
    Cfg::SetProgramName(QStringLiteral("fehlerdoku"));
    Systools::Protocol::instance().setDirectory(QDir(m_home.path()).filePath(QStringLiteral("Protokoll")));
    Systools::Protocol::instance().clear();
    User::SetCurrentUser(QStringLiteral("benutzer"), 1, 2);
    User::SetCurrentMandant(QStringLiteral("Test"), m_home.path());
    Dialogs::clearExpectations();
    Dialogs::clearHistory();
    loadTestModule();
}

void HostTest::TearDown()
{
    Modinfo::DestroyAllForms();
    EXPECT_EQ(Dialogs::pendingExpectations(), 0) << "an expected dialog did not appear";
    Dialogs::clearExpectations();
    Dm::DatenModul()->setDatabase(nullptr);
    m_db.reset();
}

QVariant HostTest::sql(const QString &select)
{
    db::Transaction tr(&m_db->db(), db::Transaction::readParams());
    tr.start();
    const QVariant v = db::Query::selectValue(tr, select);
    tr.commit();
    return v;
}

void HostTest::exec(const QString &statement) { m_db->db().executeImmediate(statement); }

int HostTest::addFirma(const QString &name)
{
    db::Transaction tr(&m_db->db(), db::Transaction::writeParams());
    tr.start();
    db::Query q(&m_db->db(), &tr);
    q.setSql(QStringLiteral("insert into FIRMEN (KURZBEZEICHNUNG, TYP) values (:N, 3) returning ID"));
    q.setParam(QStringLiteral("N"), name);
    q.exec();
    const int id = q.value(QStringLiteral("ID")).toInt();
    tr.commit();
    return id;
}
