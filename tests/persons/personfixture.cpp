#include "personfixture.h"

#include "host/recordware/datenmodul.h"
#include "host/shellware/cfg.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/extnavigator.h"
#include "host/shellware/modinfo.h"
#include "host/shellware/systools.h"
#include "host/shellware/user.h"
#include "kit/numbers/uzaehlringe.h"
#include "platform/db/dataset.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

namespace {
void loadPersonen()
{
    static bool loaded = false;
    if (loaded)
        return;
    loaded = true;
    // Only this library: the module folder of the build holds other libraries as well.
    static QTemporaryDir dir;
    const QString target = QDir(dir.path()).filePath(QStringLiteral("Personen.mdl"));
    ASSERT_TRUE(QFile::link(QStringLiteral(FD_PERSONEN_MDL), target));
    const Modinfo::LoadResult r = Modinfo::LoadModules(dir.path(), true);
    ASSERT_TRUE(r.failed.isEmpty()) << r.failed.join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(Modinfo::IsFormPresent(QStringLiteral("TPersonForm")));
}
} // namespace

void PersonTest::SetUp()
{
    m_db = std::make_unique<testing_fd::TestDb>();
    Dm::DatenModul()->setDatabase(&m_db->db());
    Cfg::SetConfigDir(QDir(m_home.path()).filePath(QStringLiteral("config")));
    Cfg::SetInstallDir(m_home.path());
    Cfg::SetProgramName(QStringLiteral("fehlerdoku"));
    Systools::Protocol::instance().setDirectory(QDir(m_home.path()).filePath(QStringLiteral("Protokoll")));
    Systools::Protocol::instance().clear();
    User::SetCurrentUser(QStringLiteral("chefin"), 128, 3);
    User::SetCurrentMandant(QStringLiteral("Test"), m_home.path());
    Dialogs::clearExpectations();
    Dialogs::clearHistory();
    loadPersonen();
}

void PersonTest::TearDown()
{
    Modinfo::DestroyAllForms();
    EXPECT_EQ(Dialogs::pendingExpectations(), 0) << "an expected dialog did not appear";
    Dialogs::clearExpectations();
    TDMZaehlringe::release();
    Dm::DatenModul()->setDatabase(nullptr);
    m_db.reset();
}

TWin95Form *PersonTest::open(const QVariantList &args)
{
    return Modinfo::CreateAndRunForm(QStringLiteral("TPersonForm"), args, int(args.size()) - 1);
}

db::DataSet *PersonTest::list(TWin95Form *f) const { return f->findChild<db::DataSet *>(QStringLiteral("PersonenList")); }
db::DataSet *PersonTest::record(TWin95Form *f) const { return f->findChild<db::DataSet *>(QStringLiteral("Personen")); }
TExtNavigator *PersonTest::nav(TWin95Form *f) const { return f->findChild<TExtNavigator *>(QStringLiteral("Navigator")); }
QLineEdit *PersonTest::edit(TWin95Form *f, const char *name) const
{
    return f->findChild<QLineEdit *>(QString::fromLatin1(name));
}

void PersonTest::type(QLineEdit *e, const QString &text)
{
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Backspace);
    for (QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(e, c.toLatin1());
        else   // umlauts: a key event carrying the character, as a German keyboard sends it
            QTest::sendKeyEvent(QTest::Click, e, Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
    }
}

qint64 PersonTest::idOf(db::DataSet *ds) { return ds->fieldByName(QStringLiteral("ID")).value().toLongLong(); }

QVariant PersonTest::sql(const QString &select)
{
    db::Transaction tr(&m_db->db(), db::Transaction::readParams());
    tr.start();
    const QVariant v = db::Query::selectValue(tr, select);
    tr.commit();
    return v;
}

void PersonTest::exec(const QString &statement) { m_db->db().executeImmediate(statement); }

int PersonTest::addPerson(const QString &nachname, int typ, const QString &vorname, int firma)
{
    db::Transaction tr(&m_db->db(), db::Transaction::writeParams());
    tr.start();
    db::Query q(&m_db->db(), &tr);
    q.setSql(QStringLiteral("insert into PERSON (NACHNAME, VORNAME, TYP, FIRMEN_ID, LAND, DC, DM) "
                            "values (:N, :V, :T, :F, 'D', current_timestamp, current_timestamp) returning ID"));
    q.setParam(QStringLiteral("N"), nachname);
    q.setParam(QStringLiteral("V"), vorname.isEmpty() ? QVariant() : QVariant(vorname));
    q.setParam(QStringLiteral("T"), typ);
    q.setParam(QStringLiteral("F"), firma > 0 ? QVariant(firma) : QVariant());
    q.exec();
    const int id = q.value(QStringLiteral("ID")).toInt();
    tr.commit();
    return id;
}

int PersonTest::addFirma(const QString &name, int typ)
{
    db::Transaction tr(&m_db->db(), db::Transaction::writeParams());
    tr.start();
    db::Query q(&m_db->db(), &tr);
    q.setSql(QStringLiteral("insert into FIRMEN (KURZBEZEICHNUNG, BEZEICHNUNG, TYP) values (:N, :N, :T) returning ID"));
    q.setParam(QStringLiteral("N"), name);
    q.setParam(QStringLiteral("T"), typ);
    q.exec();
    const int id = q.value(QStringLiteral("ID")).toInt();
    tr.commit();
    return id;
}
