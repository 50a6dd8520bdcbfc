#pragma once
// A prepared statement with its input and output messages. Private to the data layer: Query and
// DataSet build on it.

#include "fbcore_p.h"
#include "field.h"

#include <QPointer>
#include <QVariant>
#include <QVector>
#include <deque>
#include <memory>
#include <vector>

namespace db {

class Database;
class Transaction;


class Statement
{
public:
    explicit Statement(Database *db);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    // Prepares SQL with "?" markers; paramCount() markers are expected.
    void prepare(Transaction &tr, const QString &sql);
    bool isPrepared() const { return m_stmt != nullptr; }
    void free();

    int paramCount() const { return m_inCount; }
    const QVector<ColumnInfo> &columns() const { return m_columns; }
    bool returnsRows() const { return m_cursorType; }

    // Runs a statement that returns no cursor. When the statement returns one row (EXECUTE
    // PROCEDURE, INSERT ... RETURNING) it lands in *row. Returns the count of affected rows.
    qint64 execute(Transaction &tr, const QVector<QVariant> &params, QVector<QVariant> *row = nullptr);

    void open(Transaction &tr, const QVector<QVariant> &params);
    // Reads the next row into `row`; false at the end (the cursor is then closed).
    bool fetch(QVector<QVariant> &row);
    void closeCursor();
    bool cursorOpen() const { return m_rs != nullptr; }

    const QString &sql() const { return m_sql; }
    // Selects of a pooled statement come from and go back to the attachment's pool (off by default).
    void setPooled(bool on) { m_pooled = on; }

private:
    friend class StatementPool;
    // Takes over the prepared state of `other`, which is left unprepared.
    void takePrepared(Statement &other);
    void buildInput(Transaction &tr, const QVector<QVariant> &params);
    void decodeRow(QVector<QVariant> &row);
    QVariant readBlob(ISC_QUAD id, bool text);
    ISC_QUAD writeBlob(Transaction &tr, const QByteArray &data);

    Database *m_db;
    QPointer<Database> m_dbAlive; // the pool is reached only while the attachment object exists
    bool m_pooled = false;
    bool m_ddl = false;
    fb::Status m_fetchStatus; // reused: creating a status costs an engine call per row
    Firebird::IStatement *m_stmt = nullptr;
    Firebird::IMessageMetadata *m_inDeclared = nullptr;
    Firebird::IMessageMetadata *m_inMeta = nullptr;   // coerced to the values bound last
    Firebird::IMessageMetadata *m_outMeta = nullptr;
    Firebird::IResultSet *m_rs = nullptr;
    Firebird::ITransaction *m_cursorTra = nullptr;
    std::vector<unsigned char> m_inBuf, m_outBuf;
    struct InSlot { unsigned type; unsigned length; int scale; unsigned charSet; int subType; };
    std::vector<std::pair<unsigned, unsigned>> m_inOffsets; // value and null offsets of m_inMeta
    std::vector<InSlot> m_inShape;
    std::vector<InSlot> m_declared;
    struct OutSlot { unsigned offset, nullOffset, type, length; int scale, subType; unsigned charSet; };
    std::vector<OutSlot> m_out;
    QVector<ColumnInfo> m_columns;
    int m_inCount = 0;
    bool m_cursorType = false;
    QString m_sql;
};

// Idle prepared selects of one attachment. Preparing a select costs the engine more than running
// it for a few rows; a form opened again, a lookup read again or a list reopened finds its
// statement here. A statement belongs to one user at a time: it is taken out while in use and
// put back when its owner frees it or prepares another text.
class StatementPool
{
public:
    StatementPool() = default;
    ~StatementPool() { clear(); }
    StatementPool(const StatementPool &) = delete;
    StatementPool &operator=(const StatementPool &) = delete;

    // Keeps the prepared state of `s` (which is left unprepared); the oldest go beyond the limit.
    void put(Statement &s);
    // Moves a kept statement with exactly this text into `into`; false when there is none.
    bool take(const QString &sql, Statement &into);
    void clear();
    int size() const { return int(m_idle.size()); }

    static constexpr int kLimit = 64;

private:
    std::deque<std::unique_ptr<Statement>> m_idle; // oldest first
};

} // namespace db
