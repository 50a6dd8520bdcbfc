#pragma once
// The user and tenant of this run, set by the host at start.

#include "shellware_global.h"

#include <QString>

namespace User {

FD_SHELLWARE_EXPORT QString CurUser_Name();
// One byte: 128 and above a privileged user, 255 the system user.
FD_SHELLWARE_EXPORT quint8 CurUser_Type();
FD_SHELLWARE_EXPORT int CurUser_ID();
FD_SHELLWARE_EXPORT QString CurMandant_Name();
// The tenant's data folder.
FD_SHELLWARE_EXPORT QString CurMandant_Path();

FD_SHELLWARE_EXPORT bool IsPrivileged();   // level 128 and above
FD_SHELLWARE_EXPORT bool IsSystemUser();   // level 255

// Host side
FD_SHELLWARE_EXPORT void SetCurrentUser(const QString &name, int type, int id = 0);
FD_SHELLWARE_EXPORT void SetCurrentMandant(const QString &name, const QString &path);

} // namespace User
