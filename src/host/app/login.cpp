#include "login.h"

#include "host/shellware/dialogs.h"
#include "platform/db/database.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace hostapp {

QStringList tenantsIn(const QString &home)
{
    QStringList out;
    QDir d(QDir(home).filePath(QStringLiteral("Daten")));
    for (const QString &name : d.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (QFileInfo::exists(d.filePath(name + QStringLiteral("/fehlerdoku.fdb"))))
            out << name;
    return out;
}

QString passwordHash(const QString &password)
{
    return QString::fromLatin1(QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Sha256).toHex());
}

LoginResult login(db::Database &database, const QString &preset, QWidget *parent)
{
    LoginResult r;
    struct Row { int id; QString name; int type; QString hash; };
    QList<Row> users;
    // One write transaction for reading the users and stamping the login: one commit at start.
    db::Transaction tw(&database, db::Transaction::writeParams());
    tw.start();
    {
        db::Query q(&database, &tw);
        q.setSql(QStringLiteral("select ID, NAME, TYP, PASSWORT_HASH from APP$BENUTZER where DD is NULL order by NAME"));
        for (q.open(); !q.eof(); q.next())
            users << Row{q.value(0).toInt(), q.value(1).toString(), q.value(2).toInt(), q.value(3).toString()};
        q.close();
    }
    if (users.isEmpty()) {
        r.error = QStringLiteral("In dieser Datenbank ist kein Benutzer eingetragen.");
        return r;
    }
    QString name = preset;
    if (name.isEmpty()) {
        QStringList names;
        for (const Row &u : users)
            names << u.name;
        QString current = names.first();
        for (const Row &u : users)
            if (u.type < 128) {
                current = u.name;
                break;
            }
        const auto chosen = Dialogs::choose(parent, QStringLiteral("Benutzer:"), names, current,
                                            QStringLiteral("Anmeldung bei Fehlerdoku"));
        if (!chosen)
            return r;
        name = *chosen;
    }
    const Row *user = nullptr;
    for (const Row &u : users)
        if (u.name.compare(name, Qt::CaseInsensitive) == 0)
            user = &u;
    if (!user) {
        r.error = QStringLiteral("Der Benutzer \u201E%1\u201C ist nicht eingetragen.").arg(name);
        return r;
    }
    if (!user->hash.isEmpty()) {
        const auto pw = Dialogs::password(parent, QStringLiteral("Kennwort für %1:").arg(user->name),
                                          QStringLiteral("Anmeldung bei Fehlerdoku"));
        if (!pw)
            return r;
        if (passwordHash(*pw) != user->hash.trimmed().toLower()) {
            r.error = QStringLiteral("Das Kennwort ist falsch.");
            return r;
        }
    }
    QString newHash = user->hash.trimmed();
    if (newHash.isEmpty() && preset.isEmpty()) {
        // First login of a user without a password: offer to set one.
        const auto pw = Dialogs::password(parent,
                                          QStringLiteral("Für %1 ist noch kein Kennwort vergeben.\n"
                                                         "Neues Kennwort (leer lassen: ohne Kennwort):")
                                              .arg(user->name),
                                          QStringLiteral("Kennwort vergeben"));
        if (pw && !pw->isEmpty()) {
            const auto again = Dialogs::password(parent, QStringLiteral("Kennwort wiederholen:"),
                                                 QStringLiteral("Kennwort vergeben"));
            if (again && *again == *pw)
                newHash = passwordHash(*pw);
            else
                Dialogs::message(parent, QStringLiteral("Die Kennwörter stimmen nicht überein; "
                                                         "es wurde kein Kennwort gespeichert."),
                                 Dialogs::Icon::Warning);
        }
    }
    db::Query u(&database, &tw);
    u.setSql(QStringLiteral("update APP$BENUTZER set CONNECT_ID = current_connection, LAST_LOGIN = current_timestamp, "
                            "PASSWORT_HASH = :H where ID = :ID"));
    u.setParam(QStringLiteral("ID"), user->id);
    u.setParam(QStringLiteral("H"), newHash.isEmpty() ? QVariant() : QVariant(newHash));
    u.exec();
    tw.commit();
    r.ok = true;
    r.name = user->name;
    r.type = user->type;
    r.id = user->id;
    return r;
}

} // namespace hostapp
