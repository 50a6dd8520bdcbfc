#pragma once
// The data package: the one shared database attachment of a program run, re-binding of a form's
// data components to it, generators and the lookup and global lists.

#include "recordware_global.h"

#include "host/shellware/tstrings.h"

#include <QObject>
#include <QString>

namespace db { class Database; }

class FD_RECORDWARE_EXPORT TDatenModul : public QObject
{
    Q_OBJECT
public:
    explicit TDatenModul(QObject *parent = nullptr);

    // The shared attachment (set by the host after login).
    db::Database *Database() const { return m_db; }
    void setDatabase(db::Database *db) { m_db = db; }

    // Binds every transaction, dataset and query below `component` to `database` (null: the shared
    // attachment). Returns the count of re-bound components.
    int SetupConnections(QObject *component, db::Database *database = nullptr);

    // Increments the named generator by `step` and returns the new value. The name must be a plain
    // identifier ("GEN_PERSON_ID", "GEN_APP$FILTER_ID").
    qint64 Generator(const QString &name, int step = 1);

    // Fills `list` from the lookup table `name` ("APP$Personentyp", case-insensitive): the active
    // entries' BEZEICHNUNG with their ID as object, ordered by SORTIERUNG. Options: 0 plain,
    // 1 for a check list (same content).
    void GetStrings(const QString &name, TStrings &list, int options = 0);
    // Fills `list` from the named global list ("Anrede", "Nationalität", "Betriebsmappe"): its
    // lines ordered by position with their objects. A name that names an APP$ lookup table reads
    // that table. Options 5 (page lists) keep every line as stored, comments included; other
    // options drop empty lines.
    void GetGlobalStrings(const QString &name, TStrings &list, int options = 0);

private:
    db::Database *m_db = nullptr;
};

namespace Dm {
// The shared data module; modules call it when needed and keep no reference.
FD_RECORDWARE_EXPORT TDatenModul *DatenModul();
} // namespace Dm
