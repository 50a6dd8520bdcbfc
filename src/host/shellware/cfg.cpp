#include "cfg.h"

#include "win95form.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <memory>

namespace Cfg {

namespace {
struct State
{
    QString configDir;
    QString installDir;
    QString programName;
    std::unique_ptr<QSettings> global;
    std::unique_ptr<QSettings> forms;
};
State &st()
{
    static State s;
    return s;
}

QSettings &forms()
{
    State &s = st();
    if (!s.forms) {
        QDir().mkpath(ConfigDir());
        s.forms = std::make_unique<QSettings>(QDir(ConfigDir()).filePath(QStringLiteral("Formulare.ini")),
                                              QSettings::IniFormat);
    }
    return *s.forms;
}
} // namespace

QString ConfigDir()
{
    State &s = st();
    if (s.configDir.isEmpty())
        s.configDir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/fehlerdoku");
    return s.configDir;
}

void SetConfigDir(const QString &dir)
{
    State &s = st();
    s.global.reset();
    s.forms.reset();
    s.configDir = dir;
}

QSettings &Config()
{
    State &s = st();
    if (!s.global) {
        QDir().mkpath(ConfigDir());
        s.global = std::make_unique<QSettings>(QDir(ConfigDir()).filePath(QStringLiteral("Global.ini")),
                                               QSettings::IniFormat);
    }
    return *s.global;
}

QString FormClassOf(const QObject *component)
{
    for (const QObject *o = component; o; o = o->parent())
        if (qobject_cast<const TWin95Form *>(o))
            return QString::fromLatin1(o->metaObject()->className());
    return component ? QString::fromLatin1(component->metaObject()->className()) : QStringLiteral("Allgemein");
}

QVariant GetCompValue(const QObject *component, const QString &key, const QVariant &defaultValue)
{
    return forms().value(FormClassOf(component) + QLatin1Char('/') + key, defaultValue);
}

void SetCompValue(const QObject *component, const QString &key, const QVariant &value)
{
    forms().setValue(FormClassOf(component) + QLatin1Char('/') + key, value);
}

QVariant GetGlobalValue(const QString &key, const QVariant &defaultValue) { return Config().value(key, defaultValue); }
void SetGlobalValue(const QString &key, const QVariant &value) { Config().setValue(key, value); }

void SetInstallDir(const QString &dir) { st().installDir = dir; }

QString InstallDir()
{
    State &s = st();
    if (s.installDir.isEmpty())
        return QCoreApplication::applicationDirPath();
    return s.installDir;
}

void SetProgramName(const QString &name) { st().programName = name; }

QString HostIniPath()
{
    QString name = st().programName;
    if (name.isEmpty())
        name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (name.isEmpty())
        name = QStringLiteral("fehlerdoku");
    return QDir(InstallDir()).filePath(name + QStringLiteral(".INI"));
}

QString HostIniValue(const QString &section, const QString &key)
{
    const QString path = HostIniPath();
    if (!QFileInfo::exists(path))
        return QString();
    QSettings ini(path, QSettings::IniFormat);
    return ini.value(section + QLatin1Char('/') + key).toString().trimmed();
}

void Sync()
{
    if (st().global)
        st().global->sync();
    if (st().forms)
        st().forms->sync();
}

} // namespace Cfg
