#pragma once
// E-mail and home-page buttons of the registers: the address a user typed becomes a link that
// the desktop opens.

#include "kitentry_global.h"

#include <QString>
#include <QUrl>

namespace kit {

// "mailto:" with the address as its path, so that "?" or "&" typed into the address cannot add
// headers; an empty URL for a blank address.
FD_KITENTRY_EXPORT QUrl MailUrl(const QString &address);
// A web address ("www.example.de" becomes http://www.example.de); an empty URL for a blank text
// or any scheme other than http and https, so that a typed "file:" or program name starts nothing.
FD_KITENTRY_EXPORT QUrl WebUrl(const QString &address);
// Hand the link to the desktop; false when there is nothing to open.
FD_KITENTRY_EXPORT bool OpenMail(const QString &address);
FD_KITENTRY_EXPORT bool OpenWeb(const QString &address);

} // namespace kit
