#pragma once
// One attachment to a Firebird database: an embedded database file, or a database on a server
// ("host:path", "host/port:path"). SQL dialect 3, connection character set ISO8859_1.

#include "db_global.h"

#include <QObject>
#include <QString>
#include <memory>

namespace Firebird { class IAttachment; }

namespace db {

class Transaction;
class StatementPool;

struct ConnectionParams
{
    QString database;     // file path, or host:path / host/port:path
    QString user = QStringLiteral("SYSDBA");
    QString password;     // needed for a server; the embedded engine ignores it
    QString role;
    int pageSize = 8192;  // only when creating
};

class FD_DB_EXPORT Database : public QObject
{
    Q_OBJECT
public:
    explicit Database(QObject *parent = nullptr);
    ~Database() override;

    void setParams(const ConnectionParams &p) { m_params = p; }
    const ConnectionParams &params() const { return m_params; }

    // Attaches; throws DbError with a German message when the database cannot be reached.
    void open();
    // Creates a new, empty database file (or server database) and stays attached to it.
    void create();
    void close();
    bool isOpen() const { return m_att != nullptr; }

    // True when the connection string names a server rather than a local file.
    static bool isRemote(const QString &connection);

    // Runs one statement without parameters in its own transaction and commits (DDL, scripts).
    void executeImmediate(const QString &sql);
    // Runs one statement without parameters in the given transaction.
    void executeImmediate(Transaction &tr, const QString &sql);

    Firebird::IAttachment *handle() const { return m_att; }
    // The prepared selects of this attachment kept for the next statement with the same text
    // (data layer only; emptied on close and before DDL).
    StatementPool *statementPool();

signals:
    void aboutToClose();

private:
    ConnectionParams m_params;
    Firebird::IAttachment *m_att = nullptr;
    std::unique_ptr<StatementPool> m_pool;
};

} // namespace db
