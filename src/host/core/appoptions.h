#pragma once
// Where the program lives and which database it works on: the installation directory ("home"),
// the tenant and its database connection.

#include <QString>
#include <QStringList>

namespace host {

struct AppOptions
{
    QString home;        // installation directory
    QString tenant = QStringLiteral("Standard");
    QString database;    // file path or host:path / host/port:path; empty = embedded default
    QString user = QStringLiteral("SYSDBA");
    QString password;
    bool initDb = false;
    bool version = false;
    bool listModules = false;
    QString error;       // set when the command line is wrong

    // The embedded default: <home>/Daten/<tenant>/fehlerdoku.fdb
    QString databasePath() const;
    // <home>/Daten/<tenant>
    QString tenantPath() const;

    static AppOptions parse(const QStringList &args, const QString &executableDir);
    static QString defaultHome(const QString &executableDir);
    static QString usage();
};

// A tenant name is used as a folder name: letters, digits, blanks, "-", "_" and "." only, and
// not "." or "..".
bool isValidTenantName(const QString &name);

// The folder with the numbered database scripts.
QString schemaDir(const QString &executableDir);

} // namespace host
