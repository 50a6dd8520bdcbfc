#pragma once
#include <QStringList>

namespace hostapp {
// One tab-separated line per registered class: library file, class, "form" or "report",
// Description, Flags (comma-separated names), Security, LinkedForms (joined by "|").
QStringList moduleListing();
} // namespace hostapp
