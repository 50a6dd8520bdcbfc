#pragma once
#include <QtCore/qglobal.h>

#if defined(FD_KITENTRY_LIBRARY)
#define FD_KITENTRY_EXPORT Q_DECL_EXPORT
#else
#define FD_KITENTRY_EXPORT Q_DECL_IMPORT
#endif
