#include "iconstyle.h"

#include <QApplication>
#include <QHash>
#include <QIcon>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

namespace Shell {

namespace {

class IconCachingStyle : public QProxyStyle
{
public:
    explicit IconCachingStyle(QStyle *base) : QProxyStyle(base) {}

    QIcon standardIcon(StandardPixmap which, const QStyleOption *option, const QWidget *widget) const override
    {
        // An icon may follow the option's writing direction and palette: both are part of the key.
        const Key key{int(which), option ? int(option->direction) : -1, option ? option->palette.cacheKey() : 0};
        auto it = m_icons.constFind(key);
        if (it == m_icons.constEnd())
            it = m_icons.insert(key, QProxyStyle::standardIcon(which, option, widget));
        return it.value();
    }

private:
    struct Key
    {
        int which;
        int direction;
        qint64 palette;
        bool operator==(const Key &o) const { return which == o.which && direction == o.direction && palette == o.palette; }
    };
    friend size_t qHash(const Key &k, size_t seed = 0) { return qHashMulti(seed, k.which, k.direction, k.palette); }
    mutable QHash<Key, QIcon> m_icons;
};

} // namespace

void EnsureIconCache()
{
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (!app || !app->styleSheet().isEmpty())
        return;
    QStyle *current = QApplication::style();
    if (!current || dynamic_cast<IconCachingStyle *>(current))
        return;
    QStyle *base = QStyleFactory::create(current->name());
    if (!base)
        return;
    QApplication::setStyle(new IconCachingStyle(base));
}

} // namespace Shell
