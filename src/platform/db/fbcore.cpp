#include "fbcore_p.h"

#include <dlfcn.h>
#include <ibase.h>
#include <iberror.h>

#include <QCoreApplication>
#include <QHash>

using namespace Firebird;

namespace db::fb {

// The client library is loaded when the first connection is made, not when the program starts:
// the program's window is up before the engine is needed.
IMaster *master()
{
    static IMaster *m = [] {
        void *lib = nullptr;
        for (const char *name : {"libfbclient.so.2", "libfbclient.so"})
            if ((lib = dlopen(name, RTLD_NOW | RTLD_GLOBAL)))
                break;
        using GetMaster = IMaster *(*)();
        auto get = lib ? reinterpret_cast<GetMaster>(dlsym(lib, "fb_get_master_interface")) : nullptr;
        if (!get)
            throw DbError(DbError::Kind::ConnectFailed,
                          QStringLiteral("Die Firebird-Clientbibliothek (libfbclient) ist nicht installiert."),
                          QString::fromLocal8Bit(dlerror()));
        return get();
    }();
    return m;
}

IUtil *util()
{
    static IUtil *u = master()->getUtilInterface();
    return u;
}

IProvider *provider()
{
    static IProvider *p = master()->getDispatcher();
    return p;
}

Status::Status() : ThrowStatusWrapper(master()->getStatus()) {}

Status::~Status() { dispose(); }

namespace {

QString engineText(const IStatus *status)
{
    char buf[2048];
    util()->formatStatus(buf, sizeof buf, const_cast<IStatus *>(status));
    return QString::fromLocal8Bit(buf).trimmed();
}

QVector<qint64> codesOf(const IStatus *status)
{
    QVector<qint64> codes;
    const intptr_t *v = const_cast<IStatus *>(status)->getErrors();
    while (v && *v != isc_arg_end) {
        const intptr_t tag = v[0];
        if (tag == isc_arg_gds)
            codes.push_back(qint64(v[1]));
        if (tag == isc_arg_cstring)
            v += 3;
        else
            v += 2;
    }
    return codes;
}

} // namespace

DbError translateStatus(const IStatus *status, const QString &context)
{
    const QVector<qint64> codes = codesOf(status);
    QString text = engineText(status);
    if (!context.isEmpty())
        text = context + QStringLiteral(": ") + text;
    auto has = [&](qint64 c) { return codes.contains(c); };

    using K = DbError::Kind;
    if (has(isc_update_conflict) || has(isc_lock_conflict) || has(isc_concurrent_transaction))
        return DbError(K::UpdateConflict,
                       QStringLiteral("Der Datensatz wurde inzwischen von einem anderen Benutzer geändert "
                                      "oder ist von ihm gesperrt. Ihre Eingaben bleiben erhalten; bitte "
                                      "laden Sie den Datensatz neu und speichern Sie erneut."),
                       text, codes);
    if (has(isc_deadlock))
        return DbError(K::Deadlock,
                       QStringLiteral("Der Datensatz wird gerade von einem anderen Benutzer bearbeitet. "
                                      "Bitte versuchen Sie es in einem Augenblick erneut."),
                       text, codes);
    if (has(isc_unique_key_violation) || has(isc_no_dup))
        return DbError(K::UniqueViolation,
                       QStringLiteral("Ein Datensatz mit diesem Schlüssel ist bereits vorhanden."), text, codes);
    if (has(isc_foreign_key) || has(isc_foreign_key_target_doesnt_exist) || has(isc_foreign_key_references_present))
        return DbError(K::ForeignKey,
                       QStringLiteral("Der Datensatz ist mit anderen Daten verknüpft oder verweist auf einen "
                                      "Datensatz, der nicht mehr vorhanden ist."),
                       text, codes);
    if (has(isc_network_error) || has(isc_net_read_err) || has(isc_net_write_err) || has(isc_lost_db_connection)
        || has(isc_shutdown) || has(isc_att_shutdown) || has(isc_conn_lost) || has(isc_net_connect_err))
        return DbError(K::ConnectionLost,
                       QStringLiteral("Die Verbindung zur Datenbank ist unterbrochen. Bitte prüfen Sie das "
                                      "Netzwerk und starten Sie das Programm neu."),
                       text, codes);
    if (has(isc_arith_except) || has(isc_convert_error) || has(isc_string_truncation) || has(isc_numeric_out_of_range))
        return DbError(K::Conversion,
                       QStringLiteral("Ein Wert passt nicht in das Datenbankfeld (zu lang, zu groß oder "
                                      "kein gültiges Format)."),
                       text, codes);
    return DbError(K::General, QStringLiteral("Datenbankfehler: ") + engineText(status), text, codes);
}

DbError translate(const FbException &e, const QString &context) { return translateStatus(e.getStatus(), context); }

QByteArray toLatin1Checked(const QString &s, const QString &what)
{
    QByteArray out;
    out.resize(s.size());
    char *p = out.data();
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s.at(i).unicode();
        if (c > 0xFF) {
            QString shown = s.mid(i, s.at(i).isHighSurrogate() ? 2 : 1);
            QString msg = QStringLiteral("Das Zeichen \u201E%1\u201C kann nicht gespeichert werden: die Datenbank "
                                         "speichert nur westeuropäische Zeichen (ISO 8859-1).")
                              .arg(shown);
            if (!what.isEmpty())
                msg += QStringLiteral(" Feld: %1").arg(what);
            throw DbError(DbError::Kind::Charset, msg,
                          QStringLiteral("character U+%1 not in ISO8859_1").arg(int(c), 4, 16, QLatin1Char('0')));
        }
        p[i] = char(c);
    }
    return out;
}

// ISC_DATE counts days from 17 November 1858 (Julian day 2400001); ISC_TIME counts
// ten-thousandths of a second since midnight.
ISC_DATE encodeDate(const QDate &d) { return ISC_DATE(d.toJulianDay() - 2400001); }

ISC_TIME encodeTime(const QTime &t) { return ISC_TIME(t.msecsSinceStartOfDay()) * 10; }

QDate decodeDate(ISC_DATE d) { return QDate::fromJulianDay(qint64(d) + 2400001); }

QTime decodeTime(ISC_TIME t) { return QTime::fromMSecsSinceStartOfDay(int(t / 10)); }

QDateTime localDateTime(const QDate &d, const QTime &t)
{
    if (!d.isValid() || !t.isValid())
        return QDateTime(d, t);
    thread_local QHash<qint64, int> offsets;
    const qint64 key = d.toJulianDay() * 24 + t.hour();
    auto it = offsets.constFind(key);
    if (it == offsets.constEnd()) {
        if (offsets.size() > 8192)
            offsets.clear();
        const QDateTime probe(d, QTime(t.hour(), 0));
        it = offsets.insert(key, probe.isValid() ? probe.offsetFromUtc() : 0);
    }
    return QDateTime(d, t, Qt::OffsetFromUTC, it.value());
}

} // namespace db::fb
