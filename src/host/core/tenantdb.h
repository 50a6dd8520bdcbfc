#pragma once
// Opens the database of a tenant, creating the embedded default on first start and bringing an
// older schema up to the program's version.

#include "appoptions.h"

#include <functional>

namespace db { class Database; }

namespace host {

struct OpenResult
{
    bool created = false;
    int fromVersion = 0;
    int version = 0;
};

// Throws db::DbError with a German message on failure.
OpenResult openTenantDatabase(const AppOptions &o, db::Database &database, const QString &schemaFolder,
                              const std::function<void(const QString &)> &progress = {});

} // namespace host
