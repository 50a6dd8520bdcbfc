#pragma once
// Start of a session: tenant choice and program user.
//
// Program users are the rows of APP$BENUTZER (NAME, TYP = level 0..255, PASSWORT_HASH). A new
// database holds "admin" (255, the system user) and "benutzer" (1). A user without a password hash
// logs in without a password (chosen interactively, it is offered to set one); otherwise the
// password's SHA-256 (hex, lower case) must match.
// A privileged user of level 128 is added by an administrator as a row with TYP 128.

#include <QString>
#include <QStringList>

namespace db { class Database; }
class QWidget;

namespace hostapp {

struct LoginResult
{
    bool ok = false;
    QString name;
    int type = 0;
    int id = 0;
    QString error;   // German, when !ok and not cancelled
};

// The tenants below <home>/Daten (folders holding a database file), sorted.
QStringList tenantsIn(const QString &home);

// Logs in: `preset` names the user (no choice dialog), else the user is chosen from the list.
// Records CONNECT_ID and LAST_LOGIN of the user. Questions are asked over `parent`.
LoginResult login(db::Database &database, const QString &preset, QWidget *parent = nullptr);

QString passwordHash(const QString &password);

} // namespace hostapp
