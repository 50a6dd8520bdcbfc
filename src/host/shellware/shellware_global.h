#pragma once
#include <QtCore/qglobal.h>

#if defined(FD_SHELLWARE_LIBRARY)
#define FD_SHELLWARE_EXPORT Q_DECL_EXPORT
#else
#define FD_SHELLWARE_EXPORT Q_DECL_IMPORT
#endif
