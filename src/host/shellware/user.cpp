#include "user.h"

namespace User {

namespace {
struct Current
{
    QString name = QStringLiteral("benutzer");
    quint8 type = 1;
    int id = 0;
    QString mandant = QStringLiteral("Standard");
    QString mandantPath;
};
Current &cur()
{
    static Current c;
    return c;
}
} // namespace

QString CurUser_Name() { return cur().name; }
quint8 CurUser_Type() { return cur().type; }
int CurUser_ID() { return cur().id; }
QString CurMandant_Name() { return cur().mandant; }
QString CurMandant_Path() { return cur().mandantPath; }
bool IsPrivileged() { return cur().type >= 128; }
bool IsSystemUser() { return cur().type == 255; }

void SetCurrentUser(const QString &name, int type, int id)
{
    cur().name = name;
    cur().type = quint8(qBound(0, type, 255));
    cur().id = id;
}

void SetCurrentMandant(const QString &name, const QString &path)
{
    cur().mandant = name;
    cur().mandantPath = path;
}

} // namespace User
