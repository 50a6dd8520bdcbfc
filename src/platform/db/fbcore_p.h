#pragma once
// Private glue to Firebird's object-oriented client interface. Only files of this folder include it.

#include "dberror.h"

#include <firebird/Interface.h>

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace db::fb {

Firebird::IMaster *master();
Firebird::IUtil *util();
Firebird::IProvider *provider();

// A status wrapper that throws Firebird::FbException; every call into the engine goes through it
// and the caller turns the exception into a DbError with translate().
class Status : public Firebird::ThrowStatusWrapper
{
public:
    Status();
    ~Status();
};

// Converts the status vector of a failed engine call into a DbError with a German message.
DbError translate(const Firebird::FbException &e, const QString &context = QString());
DbError translateStatus(const Firebird::IStatus *status, const QString &context = QString());

// Runs f and turns engine exceptions into DbError.
template <typename F>
auto guarded(const QString &context, F &&f) -> decltype(f())
{
    try {
        return f();
    } catch (const Firebird::FbException &e) {
        throw translate(e, context);
    }
}

// ISO 8859-1 is the connection character set. A character outside it is refused rather than
// replaced by "?".
QByteArray toLatin1Checked(const QString &s, const QString &what = QString());
inline QString fromLatin1(const char *p, int len) { return QString::fromLatin1(p, len); }

ISC_DATE encodeDate(const QDate &d);
ISC_TIME encodeTime(const QTime &t);
QDate decodeDate(ISC_DATE d);
QTime decodeTime(ISC_TIME t);
// A local wall-clock time stamp. Building QDateTime in local time asks the time zone rules each
// time; the offset is looked up once per date and hour and the value built with it.
QDateTime localDateTime(const QDate &d, const QTime &t);

} // namespace db::fb
