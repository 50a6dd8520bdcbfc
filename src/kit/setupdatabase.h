#pragma once
// Re-binds the data components of a settings page to the database the settings dialog works on.

#include "host/shellware/shellware_global.h"

#include <QVariantList>

class QObject;
namespace db { class Database; }

namespace kit {

// For every component owned by `form` that has a database (transactions, datasets, queries, and
// objects with a QObject* property "Database" or "DefaultDatabase"): set it to `database` when
// `oldDatabase` is null or equals the current value, and the current value differs. A failure is
// reported quietly with the context "SetupDatabase(<form class>.<component>)" and the walk goes on.
// Returns the count of components changed.
int SetupDatabase(QObject *form, db::Database *database, db::Database *oldDatabase = nullptr);

// The database passed as an element of an argument list (null when the element is none).
db::Database *DatabaseArg(const QVariantList &args, int index);

} // namespace kit
