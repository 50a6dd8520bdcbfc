#pragma once
// Tools every module uses: error reports into the protocol, message boxes, argument lists,
// published properties by name, component walks, cursor and trace.

#include "shellware_global.h"

#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <functional>

class QEvent;
class QWidget;

namespace Systools {

// Reports the exception being handled (call it inside a catch block): one protocol line with the
// context text, and a German message box unless `quiet`. Outside a catch block it reports the
// context alone.
FD_SHELLWARE_EXPORT void HandleException(const QString &context, QObject *sender = nullptr, bool quiet = false);
// The German text of the exception being handled ("" outside a catch block).
FD_SHELLWARE_EXPORT QString CurrentExceptionText();

// [text] informs and returns 1; [text, buttons, icon] with buttons 3 (yes/no/cancel) or 4 (yes/no)
// asks and returns 6 (Yes), 7 (No) or 2 (Cancel).
FD_SHELLWARE_EXPORT int MsgBox(const QVariantList &args);

// Element `index` of an argument list as text ("" beyond the last index).
FD_SHELLWARE_EXPORT QString GetVarString(const QVariantList &args, int lastIndex, int index);

// Published properties by name; 0 / "" when the object has no such property.
FD_SHELLWARE_EXPORT qint64 GetCompOrdProp(const QObject *obj, const QString &name);
FD_SHELLWARE_EXPORT bool SetCompOrdProp(QObject *obj, const QString &name, qint64 value);
FD_SHELLWARE_EXPORT QString GetCompStrProp(const QObject *obj, const QString &name);
FD_SHELLWARE_EXPORT bool SetCompStrProp(QObject *obj, const QString &name, const QString &value);
FD_SHELLWARE_EXPORT bool HasProperty(const QObject *obj, const QString &name);

// Calls `fn` for every object below `root` (depth first, root excluded); stops when fn returns false.
FD_SHELLWARE_EXPORT void IterateComponent(QObject *root, const std::function<bool(QObject *)> &fn);
// True when `obj` is an instance of the class named (or a subclass).
FD_SHELLWARE_EXPORT bool IsObject(const QObject *obj, const char *className);
// Replaces line breaks by blanks.
FD_SHELLWARE_EXPORT QString DelReturns(const QString &text);

FD_SHELLWARE_EXPORT void WaitCursor();
FD_SHELLWARE_EXPORT void RestoreCursor();

// A trace line in the protocol.
FD_SHELLWARE_EXPORT void Dbg(const QString &text);

FD_SHELLWARE_EXPORT QString ExpandDirSlash(const QString &dir);
FD_SHELLWARE_EXPORT QString DeleteDirSlash(const QString &dir);

// The object named `name` below `owner`; writes a protocol line and returns null when missing.
FD_SHELLWARE_EXPORT QObject *CheckAndFindComponent(QObject *owner, const QString &name);

// Calls `hook` for every event of `target` before the target sees it; a hook returning true eats
// the event. The hook ends with the target or with the returned object.
FD_SHELLWARE_EXPORT QObject *RegisterMessageHook(QObject *target, std::function<bool(QObject *, QEvent *)> hook);

// ---- the protocol ----
struct ProtocolLine
{
    QString time;
    QString kind;    // "Fehler" or "Info"
    QString context;
    QString text;
};

class FD_SHELLWARE_EXPORT Protocol : public QObject
{
    Q_OBJECT
public:
    static Protocol &instance();
    // Folder of the log files; the file is <dir>/fehlerdoku-YYYY-MM-DD.log.
    void setDirectory(const QString &dir);
    QString directory() const { return m_dir; }
    QString currentFile() const;
    void add(const QString &kind, const QString &context, const QString &text);
    const QList<ProtocolLine> &lines() const { return m_lines; }
    void clear() { m_lines.clear(); }
signals:
    void lineAdded(const Systools::ProtocolLine &line);

private:
    QString m_dir;
    QList<ProtocolLine> m_lines;
};

} // namespace Systools
