#include "moduleinfo.h"

#include "user.h"

QStringList flagNames(int flags)
{
    static const std::pair<int, const char *> names[] = {{ffModal, "ffModal"},
                                                         {ffNoMDIChild, "ffNoMDIChild"},
                                                         {ffOnlyOneCanRunning, "ffOnlyOneCanRunning"},
                                                         {ffNoReference, "ffNoReference"},
                                                         {ffHidding, "ffHidding"}};
    QStringList out;
    for (const auto &[bit, name] : names)
        if (flags & bit)
            out << QString::fromLatin1(name);
    return out;
}

QString securityName(int security)
{
    return security == fsReadOnly ? QStringLiteral("fsReadOnly") : QStringLiteral("fsAll");
}

void TDevice::ReadFromPrinter()
{
    // Without a printer subsystem in the host the device keeps the name it was given; the
    // report engine resolves an empty name to the system default.
}

int TModuleInfo::GetLevelSecurity(const QString &key) const
{
    for (const QString &line : Level) {
        const int colon = line.indexOf(QLatin1Char(':'));
        const QString k = (colon >= 0 ? line.left(colon) : line.section(QLatin1Char('='), 0, 0)).trimmed();
        if (k.compare(key, Qt::CaseInsensitive) != 0)
            continue;
        const int eq = line.lastIndexOf(QLatin1Char('='));
        const int stored = eq >= 0 ? line.mid(eq + 1).trimmed().toInt() : 0;
        const int type = User::CurUser_Type();
        if (type >= 255)
            return 1;
        if (type >= 128)
            return stored;
        return 0;
    }
    return 0;
}

QStringList TModuleInfo::linkedClasses() const
{
    QStringList out;
    for (const QString &line : LinkedForms) {
        QString cls = line.section(QLatin1Char('='), 0, 0).trimmed();
        cls = cls.section(QLatin1Char('.'), 0, 0);
        if (!cls.isEmpty())
            out << cls;
    }
    return out;
}

void TModuleInfo::copyFrom(const TModuleInfo &o)
{
    Description = o.Description;
    Hint = o.Hint;
    Flags = o.Flags;
    Security = o.Security;
    LinkedForms = o.LinkedForms;
    LinkedTools = o.LinkedTools;
    Level = o.Level;
    Icon = o.Icon;
    m_readOnly = o.m_readOnly;
}

TReportModuleInfo::TReportModuleInfo(QObject *parent) : TModuleInfo(parent), m_device(new TDevice(this))
{
    setObjectName(QStringLiteral("RMI"));
}

void TReportModuleInfo::SelectAction(const QString &text, int code)
{
    int action = m_pending;
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("vorschau"))
        action = 0;
    else if (t == QLatin1String("drucken"))
        action = 1;
    else if (t == QLatin1String("entwerfen"))
        action = 2;
    else if (t.isEmpty() && code >= 1 && code <= 2)
        action = code;
    m_pending = -1;
    if (action < 0 || action > 2)
        return;
    runAction(action);
}

bool TReportModuleInfo::runAction(int code, bool initial, QObject *sender)
{
    bool result = initial;
    if (OnAction)
        OnAction(sender ? sender : this, code, result);
    return result;
}
