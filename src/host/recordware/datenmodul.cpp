#include "datenmodul.h"

#include "platform/db/database.h"
#include "platform/db/dataset.h"
#include "platform/db/dberror.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"

#include <QRegularExpression>

namespace {

bool isIdentifier(const QString &s)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z][A-Za-z0-9_$]{0,62}$"));
    return re.match(s).hasMatch();
}

db::Database *need(db::Database *d)
{
    if (!d || !d->isOpen())
        throw db::DbError(db::DbError::Kind::ConnectFailed, QStringLiteral("Es besteht keine Verbindung zur Datenbank."));
    return d;
}

} // namespace

TDatenModul::TDatenModul(QObject *parent) : QObject(parent) { setObjectName(QStringLiteral("DatenModul")); }

int TDatenModul::SetupConnections(QObject *component, db::Database *database)
{
    db::Database *target = database ? database : m_db;
    if (!component || !target)
        return 0;
    int n = 0;
    const QList<QObject *> all = component->findChildren<QObject *>();
    // Transactions first: a dataset that is re-bound must find its transactions on the same attachment.
    for (QObject *o : all)
        if (auto *t = qobject_cast<db::Transaction *>(o)) {
            if (t->database() != target) {
                if (t->isActive())
                    t->commit();
                t->setDatabase(target);
                ++n;
            }
        }
    for (QObject *o : all) {
        if (auto *ds = qobject_cast<db::DataSet *>(o)) {
            if (ds->database() != target) {
                ds->close();
                ds->setDatabase(target);
                ++n;
            }
        } else if (auto *q = qobject_cast<db::Query *>(o)) {
            if (q->database() != target) {
                q->close();
                q->setDatabase(target);
                ++n;
            }
        }
    }
    return n;
}

qint64 TDatenModul::Generator(const QString &name, int step)
{
    if (!isIdentifier(name))
        throw db::DbError(db::DbError::Kind::Usage, QStringLiteral("Ungültiger Generatorname \u201E%1\u201C.").arg(name));
    db::Transaction tr(need(m_db), db::Transaction::writeParams());
    tr.start();
    const QVariant v = db::Query::selectValue(
        tr, QStringLiteral("select gen_id(%1, %2) from rdb$database").arg(name.toUpper()).arg(step));
    tr.commit();
    return v.toLongLong();
}

void TDatenModul::GetStrings(const QString &name, TStrings &list, int)
{
    list.Clear();
    const QString table = name.toUpper();
    if (!table.startsWith(QLatin1String("APP$")) || !isIdentifier(table))
        throw db::DbError(db::DbError::Kind::Usage, QStringLiteral("Unbekannte Nachschlageliste \u201E%1\u201C.").arg(name));
    db::Transaction tr(need(m_db), db::Transaction::readParams());
    tr.start();
    db::Query q(m_db, &tr);
    q.setReusePrepared(true);
    q.setSql(QStringLiteral("select BEZEICHNUNG, ID from %1 where AKTIV = 1 order by SORTIERUNG, BEZEICHNUNG").arg(table));
    for (q.open(); !q.eof(); q.next())
        list.AddObject(q.value(0).toString(), q.value(1).toLongLong());
    q.close();
    tr.commit();
}

void TDatenModul::GetGlobalStrings(const QString &name, TStrings &list, int options)
{
    if (name.startsWith(QLatin1String("APP$"), Qt::CaseInsensitive)) {
        GetStrings(name, list, options);
        return;
    }
    list.Clear();
    db::Transaction tr(need(m_db), db::Transaction::readParams());
    tr.start();
    db::Query q(m_db, &tr);
    q.setReusePrepared(true);
    q.setSql(QStringLiteral("select TEXT, OBJ from APP$GLOBALLISTE where LISTE = :LISTE order by POS"));
    q.setParam(QStringLiteral("LISTE"), name);
    for (q.open(); !q.eof(); q.next()) {
        const QString text = q.value(0).toString();
        if (options != 5 && text.trimmed().isEmpty())
            continue;
        list.AddObject(text, q.value(1).toLongLong());
    }
    q.close();
    tr.commit();
}

namespace Dm {
TDatenModul *DatenModul()
{
    static TDatenModul *dm = new TDatenModul;
    return dm;
}
} // namespace Dm
