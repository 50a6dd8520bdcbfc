#pragma once
// The standard icons of the application style, read once per run.
//
// A style reads its standard icons (the menu bar's and tool bar's extension arrows, the clear
// button of search boxes, dialog buttons) from image files every time a widget asks for them, and
// every form asks for several while it is built. EnsureIconCache() puts a thin proxy in front of
// the current style that keeps each icon after its first use; everything else is drawn by the
// style itself, so nothing looks different.

#include "shellware_global.h"

namespace Shell {

// Installs the proxy once per application (no-op without a QApplication or with an application
// style sheet). Safe to call often.
FD_SHELLWARE_EXPORT void EnsureIconCache();

} // namespace Shell
