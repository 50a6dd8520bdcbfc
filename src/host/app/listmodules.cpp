#include "listmodules.h"

#include "host/shellware/modinfo.h"

namespace hostapp {

QStringList moduleListing()
{
    QStringList out;
    auto clean = [](QString s) {
        s.replace(QLatin1Char('\t'), QLatin1Char(' '));
        s.replace(QLatin1Char('\n'), QLatin1Char(' '));
        return s;
    };
    for (const Modinfo::ClassEntry *e : Modinfo::Classes()) {
        const TModuleInfo &m = *e->manifest;
        out << QStringList{e->library,
                           e->className,
                           e->report ? QStringLiteral("report") : QStringLiteral("form"),
                           clean(m.Description),
                           flagNames(m.Flags).join(QLatin1Char(',')),
                           securityName(m.Security),
                           clean(m.LinkedForms.join(QLatin1Char('|')))}
                   .join(QLatin1Char('\t'));
    }
    return out;
}

} // namespace hostapp
