#pragma once
// A transaction on one attachment. Several transactions may live on one attachment at once.
// Parameters are the usual words: "read"/"write", "nowait"/"wait", "rec_version"/
// "no_rec_version", "read_committed"/"concurrency"/"consistency", "lock_timeout=N".

#include "db_global.h"

#include <QObject>
#include <QStringList>

namespace Firebird { class ITransaction; }

namespace db {

class Database;

class FD_DB_EXPORT Transaction : public QObject
{
    Q_OBJECT
public:
    // The default is a short write transaction: write, nowait, rec_version, read_committed.
    explicit Transaction(Database *db = nullptr, QStringList params = {}, QObject *parent = nullptr);
    ~Transaction() override;

    static QStringList readParams();   // read, nowait, rec_version, read_committed
    static QStringList writeParams();  // write, nowait, rec_version, read_committed

    void setDatabase(Database *db);
    Database *database() const { return m_db; }
    void setParams(const QStringList &p) { m_params = p; }
    const QStringList &params() const { return m_params; }

    void start();
    void ensureStarted() { if (!m_tra) start(); }
    void commit();
    void commitRetaining();
    void rollback();
    bool isActive() const { return m_tra != nullptr; }

    Firebird::ITransaction *handle() const { return m_tra; }

signals:
    void aboutToEnd();

private:
    Database *m_db = nullptr;
    QStringList m_params;
    Firebird::ITransaction *m_tra = nullptr;
};

} // namespace db
