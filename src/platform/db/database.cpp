#include "database.h"

#include "fbcore_p.h"
#include "statement_p.h"
#include "transaction.h"

#include <QFileInfo>

using namespace Firebird;

namespace db {

Database::Database(QObject *parent) : QObject(parent) {}

Database::~Database() { close(); }

StatementPool *Database::statementPool()
{
    if (!m_pool)
        m_pool = std::make_unique<StatementPool>();
    return m_pool.get();
}

namespace {
// Statements that cannot change the metadata a prepared select was compiled against.
bool isPlainDml(const QString &sql)
{
    const QString t = sql.trimmed();
    for (const char *k : {"select", "insert", "update", "delete", "merge"})
        if (t.startsWith(QLatin1String(k), Qt::CaseInsensitive))
            return true;
    return false;
}
} // namespace

bool Database::isRemote(const QString &c)
{
    // "host:path" or "host/port:path"; a Windows drive letter or an absolute path is local.
    const int colon = c.indexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    if (c.startsWith(QLatin1Char('/')))
        return false;
    if (colon == 1 && c.at(0).isLetter())
        return false;
    return true;
}

namespace {

IXpbBuilder *buildDpb(fb::Status &st, const ConnectionParams &p, bool creating)
{
    IXpbBuilder *dpb = fb::util()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(&st, isc_dpb_lc_ctype, "ISO8859_1");
    if (!p.user.isEmpty())
        dpb->insertString(&st, isc_dpb_user_name, p.user.toUtf8().constData());
    if (!p.password.isEmpty())
        dpb->insertString(&st, isc_dpb_password, p.password.toUtf8().constData());
    if (!p.role.isEmpty())
        dpb->insertString(&st, isc_dpb_sql_role_name, p.role.toUtf8().constData());
    if (creating) {
        dpb->insertInt(&st, isc_dpb_page_size, p.pageSize);
        dpb->insertString(&st, isc_dpb_set_db_charset, "ISO8859_1");
        dpb->insertInt(&st, isc_dpb_sql_dialect, 3);
    }
    return dpb;
}

QString connectMessage(const ConnectionParams &p, const DbError &e)
{
    QString msg = QStringLiteral("Die Datenbank \u201E%1\u201C kann nicht geöffnet werden.").arg(p.database);
    const QString &t = e.engineText();
    if (t.contains(QLatin1String("Your user name and password are not defined"), Qt::CaseInsensitive))
        msg += QStringLiteral(" Benutzername oder Kennwort sind falsch.");
    else if (t.contains(QLatin1String("No such file"), Qt::CaseInsensitive)
             || t.contains(QLatin1String("I/O error"), Qt::CaseInsensitive))
        msg += QStringLiteral(" Die Datei ist nicht vorhanden oder nicht lesbar.");
    else if (t.contains(QLatin1String("Unable to complete network request"), Qt::CaseInsensitive))
        msg += QStringLiteral(" Der Datenbankserver ist nicht erreichbar.");
    else if (t.contains(QLatin1String("not a valid database"), Qt::CaseInsensitive)
             || t.contains(QLatin1String("unsupported on-disk structure"), Qt::CaseInsensitive))
        msg += QStringLiteral(" Die Datei ist keine gültige Firebird-Datenbank.");
    else if (t.contains(QLatin1String("lock"), Qt::CaseInsensitive))
        msg += QStringLiteral(" Sie wird vermutlich von einem anderen Programm verwendet.");
    return msg;
}

} // namespace

void Database::open()
{
    if (m_att)
        return;
    fb::Status st;
    IXpbBuilder *dpb = nullptr;
    try {
        dpb = buildDpb(st, m_params, false);
        const QByteArray path = m_params.database.toUtf8();
        m_att = fb::provider()->attachDatabase(&st, path.constData(), dpb->getBufferLength(&st), dpb->getBuffer(&st));
        dpb->dispose();
    } catch (const FbException &e) {
        if (dpb)
            dpb->dispose();
        DbError base = fb::translate(e);
        throw DbError(DbError::Kind::ConnectFailed, connectMessage(m_params, base), base.engineText(), base.codes());
    }
}

void Database::create()
{
    if (m_att)
        throw DbError(DbError::Kind::Usage, QStringLiteral("Die Datenbank ist bereits geöffnet."));
    fb::Status st;
    IXpbBuilder *dpb = nullptr;
    try {
        dpb = buildDpb(st, m_params, true);
        const QByteArray path = m_params.database.toUtf8();
        m_att = fb::provider()->createDatabase(&st, path.constData(), dpb->getBufferLength(&st), dpb->getBuffer(&st));
        dpb->dispose();
    } catch (const FbException &e) {
        if (dpb)
            dpb->dispose();
        DbError base = fb::translate(e);
        throw DbError(DbError::Kind::ConnectFailed,
                      QStringLiteral("Die Datenbank \u201E%1\u201C kann nicht angelegt werden.").arg(m_params.database),
                      base.engineText(), base.codes());
    }
}

void Database::close()
{
    if (!m_att)
        return;
    emit aboutToClose();
    // Prepared statements kept for reuse are freed while the attachment is still there.
    if (m_pool)
        m_pool->clear();
    fb::Status st;
    try {
        m_att->detach(&st);
        m_att = nullptr;
    } catch (const FbException &) {
        // A lost connection cannot be detached cleanly; drop the handle.
        m_att->release();
        m_att = nullptr;
    }
}

void Database::executeImmediate(const QString &sql)
{
    Transaction tr(this, {QStringLiteral("write"), QStringLiteral("wait"), QStringLiteral("concurrency")});
    tr.start();
    try {
        executeImmediate(tr, sql);
        tr.commit();
    } catch (...) {
        tr.rollback();
        throw;
    }
}

void Database::executeImmediate(Transaction &tr, const QString &sql)
{
    if (!m_att)
        throw DbError(DbError::Kind::Usage, QStringLiteral("Die Datenbank ist nicht geöffnet."));
    tr.ensureStarted();
    const QByteArray text = fb::toLatin1Checked(sql);
    // Kept selects were compiled against the metadata a DDL statement may change.
    if (m_pool && !isPlainDml(sql))
        m_pool->clear();
    fb::guarded(QString(), [&] {
        fb::Status st;
        m_att->execute(&st, tr.handle(), 0, text.constData(), 3, nullptr, nullptr, nullptr, nullptr);
        return 0;
    });
}

} // namespace db
