#pragma once
// Settings: per-form values (grouped by the form's class) and global values, each in an INI file
// in the user's configuration folder (~/.config/fehlerdoku/). The host's own INI file
// "<program name>.INI" in the installation directory holds administrator settings per form class
// ("Zusatz1", "Zusatz2").

#include "shellware_global.h"

#include <QString>
#include <QVariant>

class QObject;
class QSettings;

namespace Cfg {

// The settings root for global values.
FD_SHELLWARE_EXPORT QSettings &Config();
// The class name of the form that owns `component` (the component's own class when it is a form).
FD_SHELLWARE_EXPORT QString FormClassOf(const QObject *component);

FD_SHELLWARE_EXPORT QVariant GetCompValue(const QObject *component, const QString &key,
                                          const QVariant &defaultValue = QVariant());
FD_SHELLWARE_EXPORT void SetCompValue(const QObject *component, const QString &key, const QVariant &value);
FD_SHELLWARE_EXPORT QVariant GetGlobalValue(const QString &key, const QVariant &defaultValue = QVariant());
FD_SHELLWARE_EXPORT void SetGlobalValue(const QString &key, const QVariant &value);

// The host INI file: installation directory + program name + ".INI".
FD_SHELLWARE_EXPORT QString HostIniPath();
FD_SHELLWARE_EXPORT QString HostIniValue(const QString &section, const QString &key);

// Host side
FD_SHELLWARE_EXPORT void SetConfigDir(const QString &dir);   // default: XDG config + "/fehlerdoku"
FD_SHELLWARE_EXPORT QString ConfigDir();
FD_SHELLWARE_EXPORT void SetInstallDir(const QString &dir);
FD_SHELLWARE_EXPORT QString InstallDir();
FD_SHELLWARE_EXPORT void SetProgramName(const QString &name); // default: the executable's name
FD_SHELLWARE_EXPORT void Sync();

} // namespace Cfg
