#pragma once
// Number allocation: persons and companies draw their numbers from the database's number ranges
// through SP_GET_NUMMER, one committed allocation per call.

#include <QDateTime>
#include <QObject>
#include <QString>

#if defined(FD_KITNUMBERS_LIBRARY)
#define FD_KITNUMBERS_EXPORT Q_DECL_EXPORT
#else
#define FD_KITNUMBERS_EXPORT Q_DECL_IMPORT
#endif

namespace db {
class Query;
class Transaction;
} // namespace db

class FD_KITNUMBERS_EXPORT TDMZaehlringe : public QObject
{
    Q_OBJECT
public:
    // The shared instance, created on first use and bound to the shared connection.
    static TDMZaehlringe *instance();
    // Frees the shared instance (library unload, program end); the next call creates a new one.
    static void release();
    static bool exists();

    // The next number of range `ident` (and sub-range `subIdent` when `useSubIdent`) valid at
    // `datum` (no date when invalid). An empty text when the range gives none or anything fails;
    // failures are reported to the protocol and never reach the caller.
    QString GetNumber(const QString &ident, bool useSubIdent, const QDateTime &datum, int subIdent,
                      const QString &aNr = QString(), int selfId = 0, bool forceNew = false);

    db::Transaction *transRead() const { return m_read; }
    db::Transaction *transWrite() const { return m_write; }

private:
    explicit TDMZaehlringe(QObject *parent = nullptr);
    ~TDMZaehlringe() override;

    db::Transaction *m_read;
    db::Transaction *m_write;
    db::Query *m_qryNewNumber;
};
