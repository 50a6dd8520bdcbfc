#pragma once
// SQL text preparation: macros "@@Name@" (optionally "@@Name%default@") and named parameters
// ":NAME" turned into positional "?" markers. Quoted strings, quoted identifiers and comments
// are left alone.

#include "db_global.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace db {

struct FD_DB_EXPORT ParsedSql
{
    QString sql;              // with "?" markers
    QStringList paramNames;   // one per "?" in order (upper-case); a name used twice appears twice
};

// Replaces every macro by its value from `macros` (names compared case-insensitively); a macro
// without a value becomes its default or nothing.
FD_DB_EXPORT QString applyMacros(const QString &sql, const QHash<QString, QString> &macros);
// Names of the macros in the text (upper-case, each once, in order of appearance).
FD_DB_EXPORT QStringList macroNames(const QString &sql);
FD_DB_EXPORT ParsedSql parseParams(const QString &sql);

} // namespace db
