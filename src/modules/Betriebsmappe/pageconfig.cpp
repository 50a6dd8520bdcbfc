#include "pageconfig.h"

namespace Betriebsmappe {

namespace {
constexpr int kMaxParams = 8;

bool parseGroup(const QString &line, GroupDef &group)
{
    const QChar open = line.at(0);
    const QChar close = open == QLatin1Char('(') ? QLatin1Char(')') : QLatin1Char(']');
    int end = line.indexOf(close, 1);
    if (end < 0)
        end = line.size();
    const QString inner = line.mid(1, end - 1);
    const int comma = inner.lastIndexOf(QLatin1Char(','));
    if (comma < 0) {
        group.caption = inner.trimmed();
        group.picture = 0;
    } else {
        group.caption = inner.left(comma).trimmed();
        bool ok = false;
        const int n = inner.mid(comma + 1).trimmed().toInt(&ok);
        group.picture = ok ? n : 0;
    }
    return true;
}
} // namespace

PageConfig ParsePageConfig(const QStringList &lines, const std::function<bool(const QString &)> &installed)
{
    PageConfig cfg;
    GroupDef *current = nullptr;
    QList<GroupDef> groups;
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.size() < 3 || line.startsWith(QLatin1Char('@')))
            continue;
        if (line.startsWith(QLatin1String("!Add"), Qt::CaseInsensitive)) {
            const int eq = line.indexOf(QLatin1Char('='));
            if (eq >= 0)
                cfg.addClass = line.mid(eq + 1).trimmed();
            continue;
        }
        if (line.startsWith(QLatin1Char('(')) || line.startsWith(QLatin1Char('['))) {
            GroupDef g;
            parseGroup(line, g);
            groups.append(g);
            current = &groups.last();
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || !current)
            continue;
        PageDef page;
        page.caption = line.left(eq).trimmed();
        const QString rest = line.mid(eq + 1);
        const int semi = rest.indexOf(QLatin1Char(';'));
        page.className = (semi < 0 ? rest : rest.left(semi)).trimmed();
        page.params = semi < 0 ? QString() : rest.mid(semi + 1).trimmed();
        if (page.className.isEmpty() || (installed && !installed(page.className)))
            continue;
        if (!page.params.isEmpty()) {
            const QStringList parts = page.params.split(QLatin1Char(';'));
            for (int i = 0; i < parts.size() && i < kMaxParams; ++i)
                page.args << parts.at(i).trimmed();
        }
        current->pages.append(page);
    }
    for (const GroupDef &g : std::as_const(groups))
        if (!g.pages.isEmpty())
            cfg.groups.append(g);
    return cfg;
}

} // namespace Betriebsmappe
