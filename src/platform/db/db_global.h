#pragma once
#include <QtCore/qglobal.h>

#if defined(FD_DB_LIBRARY)
#define FD_DB_EXPORT Q_DECL_EXPORT
#else
#define FD_DB_EXPORT Q_DECL_IMPORT
#endif
