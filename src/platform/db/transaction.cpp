#include "transaction.h"

#include "database.h"
#include "fbcore_p.h"

using namespace Firebird;

namespace db {

Transaction::Transaction(Database *db, QStringList params, QObject *parent)
    : QObject(parent), m_params(params.isEmpty() ? writeParams() : std::move(params))
{
    setDatabase(db);
}

Transaction::~Transaction()
{
    if (m_tra) {
        try {
            rollback();
        } catch (...) {
        }
    }
}

QStringList Transaction::readParams()
{
    return {QStringLiteral("read"), QStringLiteral("nowait"), QStringLiteral("rec_version"),
            QStringLiteral("read_committed")};
}

QStringList Transaction::writeParams()
{
    return {QStringLiteral("write"), QStringLiteral("nowait"), QStringLiteral("rec_version"),
            QStringLiteral("read_committed")};
}

void Transaction::setDatabase(Database *db)
{
    if (db == m_db)
        return;
    if (m_tra)
        commit();
    if (m_db)
        disconnect(m_db, nullptr, this, nullptr);
    m_db = db;
    if (m_db)
        connect(m_db, &Database::aboutToClose, this, [this] {
            if (m_tra) {
                try {
                    commit();
                } catch (...) {
                    try {
                        rollback();
                    } catch (...) {
                        m_tra = nullptr;
                    }
                }
            }
        });
}

void Transaction::start()
{
    if (m_tra)
        return;
    if (!m_db || !m_db->isOpen())
        throw DbError(DbError::Kind::Usage, QStringLiteral("Keine Datenbankverbindung für die Transaktion."));
    fb::guarded(QStringLiteral("start transaction"), [&] {
        fb::Status st;
        IXpbBuilder *tpb = fb::util()->getXpbBuilder(&st, IXpbBuilder::TPB, nullptr, 0);
        try {
            for (const QString &raw : m_params) {
                const QString p = raw.trimmed().toLower();
                if (p == QLatin1String("read"))
                    tpb->insertTag(&st, isc_tpb_read);
                else if (p == QLatin1String("write"))
                    tpb->insertTag(&st, isc_tpb_write);
                else if (p == QLatin1String("nowait"))
                    tpb->insertTag(&st, isc_tpb_nowait);
                else if (p == QLatin1String("wait"))
                    tpb->insertTag(&st, isc_tpb_wait);
                else if (p == QLatin1String("rec_version"))
                    tpb->insertTag(&st, isc_tpb_rec_version);
                else if (p == QLatin1String("no_rec_version"))
                    tpb->insertTag(&st, isc_tpb_no_rec_version);
                else if (p == QLatin1String("read_committed"))
                    tpb->insertTag(&st, isc_tpb_read_committed);
                else if (p == QLatin1String("concurrency"))
                    tpb->insertTag(&st, isc_tpb_concurrency);
                else if (p == QLatin1String("consistency"))
                    tpb->insertTag(&st, isc_tpb_consistency);
                else if (p.startsWith(QLatin1String("lock_timeout=")))
                    tpb->insertInt(&st, isc_tpb_lock_timeout, p.mid(13).toInt());
                else if (!p.isEmpty())
                    throw DbError(DbError::Kind::Usage,
                                  QStringLiteral("Unbekannter Transaktionsparameter \u201E%1\u201C.").arg(raw));
            }
            m_tra = m_db->handle()->startTransaction(&st, tpb->getBufferLength(&st), tpb->getBuffer(&st));
        } catch (...) {
            tpb->dispose();
            throw;
        }
        tpb->dispose();
        return 0;
    });
}

void Transaction::commit()
{
    if (!m_tra)
        return;
    emit aboutToEnd();
    fb::guarded(QStringLiteral("commit"), [&] {
        fb::Status st;
        m_tra->commit(&st);
        m_tra = nullptr;
        return 0;
    });
}

void Transaction::commitRetaining()
{
    if (!m_tra)
        return;
    fb::guarded(QStringLiteral("commit retaining"), [&] {
        fb::Status st;
        m_tra->commitRetaining(&st);
        return 0;
    });
}

void Transaction::rollback()
{
    if (!m_tra)
        return;
    emit aboutToEnd();
    ITransaction *t = m_tra;
    m_tra = nullptr;
    fb::guarded(QStringLiteral("rollback"), [&] {
        fb::Status st;
        try {
            t->rollback(&st);
        } catch (const FbException &) {
            // A transaction whose connection is gone cannot be rolled back; forget it.
            t->release();
            throw;
        }
        return 0;
    });
}

} // namespace db
