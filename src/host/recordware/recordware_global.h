#pragma once
#include <QtCore/qglobal.h>

#if defined(FD_RECORDWARE_LIBRARY)
#define FD_RECORDWARE_EXPORT Q_DECL_EXPORT
#else
#define FD_RECORDWARE_EXPORT Q_DECL_IMPORT
#endif
