#pragma once
// Database errors as the user sees them: a German message for the screen and the engine's own
// text for the protocol.

#include "db_global.h"

#include <QString>
#include <QVector>
#include <stdexcept>

namespace db {

class FD_DB_EXPORT DbError : public std::runtime_error
{
public:
    enum class Kind {
        General,
        UpdateConflict,  // another user changed or locked the record meanwhile
        Deadlock,
        UniqueViolation,
        ForeignKey,
        ConnectionLost,
        ConnectFailed,
        Charset,         // a character the database's ISO 8859-1 columns cannot hold
        ReadOnly,        // the dataset does not allow this kind of change
        Usage,           // programming error: unknown field, closed dataset, ...
        Conversion       // a value that does not fit the column (text where a number belongs)
    };

    DbError(Kind kind, const QString &userMessage, const QString &engineText = QString(),
            QVector<qint64> codes = {});

    Kind kind() const { return m_kind; }
    // German text for a message box.
    const QString &userMessage() const { return m_user; }
    // The engine's text (or the internal detail) for the protocol.
    const QString &engineText() const { return m_engine; }
    const QVector<qint64> &codes() const { return m_codes; }
    bool hasCode(qint64 code) const { return m_codes.contains(code); }

private:
    Kind m_kind;
    QString m_user;
    QString m_engine;
    QVector<qint64> m_codes;
    std::string m_what;
};

// The platform's silent abort: thrown by an event handler to cancel an operation without a
// message (a delete turned into a soft delete, a dialog that replaces an insert). The dataset
// machinery swallows it.
class FD_DB_EXPORT Abort : public std::exception
{
public:
    const char *what() const noexcept override { return "abort"; }
};

} // namespace db
