#include "systools.h"

#include "dialogs.h"
#include "platform/db/dberror.h"

#include <QApplication>
#include <QWidget>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMetaProperty>
#include <QPointer>
#include <QTextStream>
#include <exception>

namespace Systools {

QString CurrentExceptionText()
{
    std::exception_ptr p = std::current_exception();
    if (!p)
        return QString();
    try {
        std::rethrow_exception(p);
    } catch (const db::DbError &e) {
        QString t = e.userMessage();
        if (!e.engineText().isEmpty() && e.engineText() != t)
            t += QStringLiteral(" [") + DelReturns(e.engineText()) + QLatin1Char(']');
        return t;
    } catch (const db::Abort &) {
        return QStringLiteral("Abgebrochen.");
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unbekannter Fehler.");
    }
}

static QString userText()
{
    std::exception_ptr p = std::current_exception();
    if (!p)
        return QString();
    try {
        std::rethrow_exception(p);
    } catch (const db::DbError &e) {
        return e.userMessage();
    } catch (...) {
        return CurrentExceptionText();
    }
}

void HandleException(const QString &context, QObject *sender, bool quiet)
{
    const QString text = CurrentExceptionText();
    QString ctx = context;
    if (sender && !sender->objectName().isEmpty() && !context.contains(sender->objectName()))
        ctx += QStringLiteral(" [") + sender->objectName() + QLatin1Char(']');
    Protocol::instance().add(QStringLiteral("Fehler"), ctx, text);
    if (quiet)
        return;
    QWidget *parent = qobject_cast<QWidget *>(sender);
    QString msg = userText();
    if (msg.isEmpty())
        msg = QStringLiteral("Es ist ein Fehler aufgetreten.");
    Dialogs::message(parent, msg + QStringLiteral("\n\n(") + context + QLatin1Char(')'), Dialogs::Icon::Critical,
                     QStringLiteral("Fehler"));
}

int MsgBox(const QVariantList &args)
{
    const QString text = args.isEmpty() ? QString() : args.at(0).toString();
    const int buttons = args.size() > 1 ? args.at(1).toInt() : 0;
    if (buttons == 3 || buttons == 4)
        return Dialogs::question(nullptr, text, buttons == 3);
    Dialogs::Icon icon = Dialogs::Icon::Information;
    const int i = args.size() > 2 ? args.at(2).toInt() : 0;
    if (i == 1)
        icon = Dialogs::Icon::Critical;
    else if (i == 2)
        icon = Dialogs::Icon::Warning;
    Dialogs::message(nullptr, text, icon);
    return 1;
}

QString GetVarString(const QVariantList &args, int lastIndex, int index)
{
    if (index < 0 || index > lastIndex || index >= args.size())
        return QString();
    const QVariant &v = args.at(index);
    if (v.typeId() == QMetaType::QObjectStar)
        return QString();
    return v.toString();
}

static int propIndex(const QObject *obj, const QString &name)
{
    if (!obj)
        return -1;
    return obj->metaObject()->indexOfProperty(name.toLatin1().constData());
}

bool HasProperty(const QObject *obj, const QString &name) { return propIndex(obj, name) >= 0; }

qint64 GetCompOrdProp(const QObject *obj, const QString &name)
{
    const int i = propIndex(obj, name);
    if (i < 0)
        return 0;
    const QVariant v = obj->metaObject()->property(i).read(obj);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? 1 : 0;
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    return ok ? n : 0;
}

bool SetCompOrdProp(QObject *obj, const QString &name, qint64 value)
{
    const int i = propIndex(obj, name);
    if (i < 0)
        return false;
    QMetaProperty p = obj->metaObject()->property(i);
    if (!p.isWritable())
        return false;
    if (p.typeId() == QMetaType::Bool)
        return p.write(obj, value != 0);
    if (p.typeId() == QMetaType::Int)
        return p.write(obj, int(value));
    return p.write(obj, value);
}

QString GetCompStrProp(const QObject *obj, const QString &name)
{
    const int i = propIndex(obj, name);
    if (i < 0)
        return QString();
    return obj->metaObject()->property(i).read(obj).toString();
}

bool SetCompStrProp(QObject *obj, const QString &name, const QString &value)
{
    const int i = propIndex(obj, name);
    if (i < 0)
        return false;
    QMetaProperty p = obj->metaObject()->property(i);
    return p.isWritable() && p.write(obj, value);
}

static bool iterate(QObject *o, const std::function<bool(QObject *)> &fn)
{
    const QObjectList kids = o->children();
    for (QObject *c : kids) {
        if (!fn(c))
            return false;
        if (!iterate(c, fn))
            return false;
    }
    return true;
}

void IterateComponent(QObject *root, const std::function<bool(QObject *)> &fn)
{
    if (root)
        iterate(root, fn);
}

bool IsObject(const QObject *obj, const char *className) { return obj && obj->inherits(className); }

QString DelReturns(const QString &text)
{
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return s;
}

static int g_waitDepth = 0;

void WaitCursor()
{
    ++g_waitDepth;
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void RestoreCursor()
{
    if (g_waitDepth <= 0)
        return;
    --g_waitDepth;
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::restoreOverrideCursor();
}

void Dbg(const QString &text) { Protocol::instance().add(QStringLiteral("Info"), QString(), text); }

QString ExpandDirSlash(const QString &dir)
{
    if (dir.isEmpty() || dir.endsWith(QLatin1Char('/')))
        return dir;
    return dir + QLatin1Char('/');
}

QString DeleteDirSlash(const QString &dir)
{
    QString d = dir;
    while (d.size() > 1 && d.endsWith(QLatin1Char('/')))
        d.chop(1);
    return d;
}

QObject *CheckAndFindComponent(QObject *owner, const QString &name)
{
    if (!owner)
        return nullptr;
    QObject *o = owner->findChild<QObject *>(name);
    if (!o)
        Dbg(QStringLiteral("Komponente \u201E%1\u201C in %2 nicht gefunden")
                .arg(name, QString::fromLatin1(owner->metaObject()->className())));
    return o;
}

namespace {
class HookFilter : public QObject
{
public:
    HookFilter(QObject *target, std::function<bool(QObject *, QEvent *)> hook) : QObject(target), m_hook(std::move(hook))
    {
        target->installEventFilter(this);
    }
    bool eventFilter(QObject *o, QEvent *e) override { return m_hook(o, e); }

private:
    std::function<bool(QObject *, QEvent *)> m_hook;
};
} // namespace

QObject *RegisterMessageHook(QObject *target, std::function<bool(QObject *, QEvent *)> hook)
{
    if (!target || !hook)
        return nullptr;
    return new HookFilter(target, std::move(hook));
}

// ---- protocol ----

Protocol &Protocol::instance()
{
    static Protocol p;
    return p;
}

void Protocol::setDirectory(const QString &dir) { m_dir = dir; }

QString Protocol::currentFile() const
{
    if (m_dir.isEmpty())
        return QString();
    return QDir(m_dir).filePath(QStringLiteral("fehlerdoku-%1.log").arg(QDate::currentDate().toString(Qt::ISODate)));
}

void Protocol::add(const QString &kind, const QString &context, const QString &text)
{
    ProtocolLine l{QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")), kind, context,
                   DelReturns(text)};
    m_lines.append(l);
    if (m_lines.size() > 5000)
        m_lines.removeFirst();
    if (!m_dir.isEmpty()) {
        QDir().mkpath(m_dir);
        QFile f(currentFile());
        if (f.open(QIODevice::Append | QIODevice::Text)) {
            QTextStream ts(&f);
            ts << l.time << '\t' << l.kind << '\t' << l.context << '\t' << l.text << '\n';
        }
    }
    emit lineAdded(l);
}

} // namespace Systools
