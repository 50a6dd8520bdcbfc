#include "tenantdb.h"

#include "platform/db/database.h"
#include "platform/db/dberror.h"
#include "platform/db/schema.h"

#include <QDir>
#include <QFileInfo>

namespace host {

OpenResult openTenantDatabase(const AppOptions &o, db::Database &database, const QString &schemaFolder,
                              const std::function<void(const QString &)> &progress)
{
    OpenResult r;
    db::ConnectionParams p;
    p.database = o.databasePath();
    p.user = o.user;
    p.password = o.password;
    database.setParams(p);
    const int latest = db::Schema::latestVersion(schemaFolder);
    const bool remote = db::Database::isRemote(p.database);
    if (!remote && !QFileInfo::exists(p.database)) {
        const QString folder = QFileInfo(p.database).absolutePath();
        if (!QDir().mkpath(folder))
            throw db::DbError(db::DbError::Kind::ConnectFailed,
                              QStringLiteral("Der Datenordner \u201E%1\u201C kann nicht angelegt werden.").arg(folder));
        database.create();
        r.created = true;
    } else {
        database.open();
    }
    r.fromVersion = db::Schema::currentVersion(database);
    if (r.fromVersion > latest)
        throw db::DbError(db::DbError::Kind::Usage,
                          QStringLiteral("Die Datenbank hat die Version %1, dieses Programm kennt nur Version %2. "
                                         "Bitte installieren Sie die neuere Programmversion.")
                              .arg(r.fromVersion)
                              .arg(latest));
    r.version = r.fromVersion;
    if (r.fromVersion < latest)
        r.version = db::Schema::upgrade(database, schemaFolder, latest, progress);
    return r;
}

} // namespace host
