#include "weblinks.h"

#include <QDesktopServices>

namespace kit {

QUrl MailUrl(const QString &address)
{
    const QString a = address.trimmed();
    if (a.isEmpty())
        return QUrl();
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(a);
    return url;
}

QUrl WebUrl(const QString &address)
{
    const QString a = address.trimmed();
    if (a.isEmpty())
        return QUrl();
    const QUrl url = QUrl::fromUserInput(a);
    if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        return QUrl();
    return url;
}

bool OpenMail(const QString &address)
{
    const QUrl url = MailUrl(address);
    return !url.isEmpty() && QDesktopServices::openUrl(url);
}

bool OpenWeb(const QString &address)
{
    const QUrl url = WebUrl(address);
    return !url.isEmpty() && QDesktopServices::openUrl(url);
}

} // namespace kit
