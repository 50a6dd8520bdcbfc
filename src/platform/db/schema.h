#pragma once
// Creates and upgrades the database from the numbered scripts of the schema folder
// ("001_tables.sql", "002_....sql", ...). The number of a script is the schema version it brings;
// the table SYS$SCHEMA_VERSION records each script once applied.

#include "db_global.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace db {

class Database;

struct FD_DB_EXPORT SchemaScript
{
    int version = 0;
    QString path;
};

class FD_DB_EXPORT Schema
{
public:
    // Scripts of the folder in version order. Throws DbError when the folder has none.
    static QList<SchemaScript> scripts(const QString &dir);
    static int latestVersion(const QString &dir);
    // 0 for a database without the version table.
    static int currentVersion(Database &db);
    // Applies every script above the database's version up to `upto`; returns the new version.
    static int upgrade(Database &db, const QString &dir, int upto = 1 << 30,
                       const std::function<void(const QString &)> &progress = {});
    // Splits an isql script into statements, honouring SET TERM, quotes and comments. Other SET
    // commands and COMMIT are dropped (the runner commits on its own).
    static QStringList splitStatements(const QString &script);
};

} // namespace db
