#pragma once
#include "kitentry_global.h"

#include <QString>

namespace kit {

// A telephone number as the registers store it: the digits in their order, a "+" only before the
// first digit, the first separator after the first digit (blank, "(", "-", "/", "[" or "\") as
// one "-", every other character dropped. "+49 (030) 123 45" becomes "+49-03012345".
FD_KITENTRY_EXPORT QString NormalizeTelephone(const QString &text);

} // namespace kit
