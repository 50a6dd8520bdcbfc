#include "appoptions.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace host {

QString AppOptions::tenantPath() const { return QDir(home).filePath(QStringLiteral("Daten/") + tenant); }

QString AppOptions::databasePath() const
{
    if (!database.isEmpty())
        return database;
    return QDir(tenantPath()).filePath(QStringLiteral("fehlerdoku.fdb"));
}

bool isValidTenantName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || name.size() > 60)
        return false;
    for (QChar c : name) {
        if (c.isLetterOrNumber() || c == QLatin1Char(' ') || c == QLatin1Char('-') || c == QLatin1Char('_')
            || c == QLatin1Char('.'))
            continue;
        return false;
    }
    return true;
}

QString AppOptions::defaultHome(const QString &executableDir)
{
    QFileInfo fi(executableDir);
    if (fi.isDir() && fi.isWritable())
        return QDir(executableDir).absolutePath();
    return QDir::homePath() + QStringLiteral("/.local/share/fehlerdoku");
}

QString AppOptions::usage()
{
    return QStringLiteral(
        "Aufruf: fehlerdoku [Optionen]\n"
        "  --home DIR          Installations- und Datenverzeichnis\n"
        "  --tenant NAME       Mandant (Vorgabe: Standard)\n"
        "  --database CONN     Datenbankdatei oder Server (host:pfad, host/port:pfad)\n"
        "  --user NAME         Datenbankbenutzer (Server)\n"
        "  --password TEXT     Kennwort (Server)\n"
        "  --init-db           Datenbank anlegen oder aktualisieren und beenden\n"
        "  --list-modules      installierte Module auflisten und beenden\n"
        "  --version           Programmversion ausgeben\n");
}

AppOptions AppOptions::parse(const QStringList &args, const QString &executableDir)
{
    AppOptions o;
    auto takeValue = [&](int &i, const QString &opt, QString &target) {
        const QString a = args.at(i);
        if (a.startsWith(opt + QLatin1Char('='))) {
            target = a.mid(opt.size() + 1);
            return true;
        }
        if (i + 1 >= args.size()) {
            o.error = QStringLiteral("Der Option %1 fehlt ein Wert.").arg(opt);
            return true;
        }
        target = args.at(++i);
        return true;
    };
    for (int i = 1; i < args.size() && o.error.isEmpty(); ++i) {
        const QString a = args.at(i);
        auto is = [&](const char *opt) {
            return a == QLatin1String(opt) || a.startsWith(QLatin1String(opt) + QLatin1Char('='));
        };
        if (is("--home"))
            takeValue(i, QStringLiteral("--home"), o.home);
        else if (is("--tenant"))
            takeValue(i, QStringLiteral("--tenant"), o.tenant);
        else if (is("--database"))
            takeValue(i, QStringLiteral("--database"), o.database);
        else if (is("--user"))
            takeValue(i, QStringLiteral("--user"), o.user);
        else if (is("--password"))
            takeValue(i, QStringLiteral("--password"), o.password);
        else if (a == QLatin1String("--init-db"))
            o.initDb = true;
        else if (a == QLatin1String("--version"))
            o.version = true;
        else if (a == QLatin1String("--list-modules"))
            o.listModules = true;
        else if (a.startsWith(QLatin1String("-platform")) || a.startsWith(QLatin1String("-style")))
            ++i; // Qt's own options
        else
            o.error = QStringLiteral("Unbekannte Option \u201E%1\u201C.").arg(a);
    }
    if (o.error.isEmpty() && !isValidTenantName(o.tenant))
        o.error = QStringLiteral("Ungültiger Mandantenname \u201E%1\u201C.").arg(o.tenant);
    if (o.home.isEmpty())
        o.home = defaultHome(executableDir);
    o.home = QDir(o.home).absolutePath();
    return o;
}

QString schemaDir(const QString &executableDir)
{
    const QStringList candidates{QDir(executableDir).filePath(QStringLiteral("schema")),
                                 QDir(executableDir).filePath(QStringLiteral("../share/fehlerdoku/schema")),
                                 QStringLiteral(FD_SOURCE_SCHEMA_DIR)};
    for (const QString &c : candidates)
        if (QFileInfo(c).isDir())
            return QDir(c).absolutePath();
    return candidates.last();
}

} // namespace host
