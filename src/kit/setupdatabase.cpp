#include "setupdatabase.h"

#include "host/shellware/systools.h"
#include "platform/db/database.h"
#include "platform/db/dataset.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"

#include <QMetaProperty>

namespace kit {

namespace {
db::Database *currentOf(QObject *o, const char **prop)
{
    *prop = nullptr;
    if (auto *t = qobject_cast<db::Transaction *>(o))
        return t->database();
    if (auto *d = qobject_cast<db::DataSet *>(o))
        return d->database();
    if (auto *q = qobject_cast<db::Query *>(o))
        return q->database();
    for (const char *name : {"Database", "DefaultDatabase"}) {
        const int i = o->metaObject()->indexOfProperty(name);
        if (i >= 0) {
            *prop = name;
            return qobject_cast<db::Database *>(o->metaObject()->property(i).read(o).value<QObject *>());
        }
    }
    return nullptr;
}

bool isDbComponent(QObject *o)
{
    return qobject_cast<db::Transaction *>(o) || qobject_cast<db::DataSet *>(o) || qobject_cast<db::Query *>(o)
           || o->metaObject()->indexOfProperty("Database") >= 0 || o->metaObject()->indexOfProperty("DefaultDatabase") >= 0;
}

void assign(QObject *o, const char *prop, db::Database *database)
{
    if (auto *t = qobject_cast<db::Transaction *>(o)) {
        if (t->isActive())
            t->commit();
        t->setDatabase(database);
    } else if (auto *d = qobject_cast<db::DataSet *>(o)) {
        d->close();
        d->setDatabase(database);
    } else if (auto *q = qobject_cast<db::Query *>(o)) {
        q->close();
        q->setDatabase(database);
    } else if (prop) {
        o->setProperty(prop, QVariant::fromValue<QObject *>(database));
    }
}
} // namespace

int SetupDatabase(QObject *form, db::Database *database, db::Database *oldDatabase)
{
    if (!form)
        return 0;
    int n = 0;
    const QString cls = QString::fromLatin1(form->metaObject()->className());
    // Transactions before datasets, so a dataset never points at a transaction of another attachment.
    QList<QObject *> all = form->findChildren<QObject *>();
    std::stable_sort(all.begin(), all.end(), [](QObject *a, QObject *b) {
        return qobject_cast<db::Transaction *>(a) && !qobject_cast<db::Transaction *>(b);
    });
    for (QObject *o : all) {
        if (!isDbComponent(o))
            continue;
        try {
            const char *prop = nullptr;
            db::Database *cur = currentOf(o, &prop);
            if ((oldDatabase == nullptr || oldDatabase == cur) && cur != database) {
                assign(o, prop, database);
                ++n;
            }
        } catch (...) {
            Systools::HandleException(QStringLiteral("SetupDatabase(%1.%2)").arg(cls, o->objectName()), form, true);
        }
    }
    return n;
}

db::Database *DatabaseArg(const QVariantList &args, int index)
{
    if (index < 0 || index >= args.size())
        return nullptr;
    return qobject_cast<db::Database *>(args.at(index).value<QObject *>());
}

} // namespace kit
