#pragma once
// The manifests a module form carries: a QObject child named "FMI" (forms) or "RMI" (reports)
// whose properties tell the host how to list, show and protect the form.

#include "shellware_global.h"

#include <QIcon>
#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <functional>

class TWin95Form;

// Flags
enum TFormFlag {
    ffModal = 0x01,
    ffNoMDIChild = 0x02,
    ffOnlyOneCanRunning = 0x04,
    ffNoReference = 0x08,
    ffHidding = 0x10,
};

enum TFormSecurity { fsAll = 0, fsReadOnly = 1 };

// Names of the flags set in `flags`, in declaration order ("ffModal", ...).
FD_SHELLWARE_EXPORT QStringList flagNames(int flags);
FD_SHELLWARE_EXPORT QString securityName(int security);

// The print device of a report: the printer setup the report hands over.
class FD_SHELLWARE_EXPORT TDevice : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString PrinterName MEMBER PrinterName)
    Q_PROPERTY(int Orientation MEMBER Orientation)
    Q_PROPERTY(int Copies MEMBER Copies)
public:
    explicit TDevice(QObject *parent = nullptr) : QObject(parent) {}
    // Takes over the current printer's name (the system default when none is chosen).
    void ReadFromPrinter();
    QString PrinterName;
    int Orientation = 0;   // 0 portrait, 1 landscape
    int Copies = 1;
};

class FD_SHELLWARE_EXPORT TModuleInfo : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Description MEMBER Description)
    Q_PROPERTY(QString Hint MEMBER Hint)
    Q_PROPERTY(int Flags MEMBER Flags)
    Q_PROPERTY(int Security MEMBER Security)
    Q_PROPERTY(QStringList LinkedForms MEMBER LinkedForms)
    Q_PROPERTY(QString LinkedTools MEMBER LinkedTools)
    Q_PROPERTY(QStringList Level MEMBER Level)
    Q_PROPERTY(QIcon Icon READ icon WRITE setIcon)
    Q_PROPERTY(bool ReadOnly READ ReadOnly)
public:
    explicit TModuleInfo(QObject *parent = nullptr) : QObject(parent) {}

    QString Description;
    QString Hint;
    int Flags = 0;
    int Security = fsAll;
    QStringList LinkedForms;   // "Class=Caption" or "Class.Control=Caption"
    QString LinkedTools;
    QStringList Level;         // "Key: Caption=Value"
    QIcon Icon;
    QIcon icon() const { return Icon; }
    void setIcon(const QIcon &i) { Icon = i; }

    // The read-only state, set by the host from the user's rights and Security.
    bool ReadOnly() const { return m_readOnly; }
    void setReadOnly(bool on) { m_readOnly = on; }

    // The right named `key` in Level ("CanDelete: Dokumente löschen=0"): the value the host grants
    // (the stored value for privileged users, 0 otherwise; 1 for the system user).
    int GetLevelSecurity(const QString &key) const;

    // The class names in LinkedForms (text before "=" and before a ".Control" part).
    QStringList linkedClasses() const;

    void copyFrom(const TModuleInfo &other);

private:
    bool m_readOnly = false;
};

class FD_SHELLWARE_EXPORT TFormModuleInfo : public TModuleInfo
{
    Q_OBJECT
public:
    explicit TFormModuleInfo(QObject *parent = nullptr) : TModuleInfo(parent) { setObjectName(QStringLiteral("FMI")); }
    // FMIExecute(Sender, Form, Args, last index)
    std::function<void(TFormModuleInfo *, QWidget *, const QVariantList &, int)> OnExecute;
    // FMIGlobalChanged(Sender, Flags)
    std::function<void(TFormModuleInfo *, int)> OnGlobalChanged;
};

class FD_SHELLWARE_EXPORT TReportModuleInfo : public TModuleInfo
{
    Q_OBJECT
    Q_PROPERTY(QString Ident MEMBER Ident)
    Q_PROPERTY(QStringList Pages MEMBER Pages)
public:
    explicit TReportModuleInfo(QObject *parent = nullptr);
    QString Ident;       // menu path "\Stammdaten\Personenliste"
    QStringList Pages;
    // RMIAction(Sender, code, result). Sender is the manifest; for code 8 it is the linked form
    // from which the user chose the report.
    std::function<void(QObject *, int, bool &)> OnAction;

    TDevice *GetDevice() { return m_device; }
    // Called by the module (code 8) to let the host continue with the action the user picked.
    // An empty text and 0 continue with that action; a text names an action ("Vorschau",
    // "Drucken", "Entwerfen") or the code (0, 1, 2) does.
    void SelectAction(const QString &text, int code);

    // Host side: runs one action code and returns the result flag (false when no handler).
    bool runAction(int code, bool initial = false, QObject *sender = nullptr);
    // Host side: the action that SelectAction continues with (-1 none).
    void setPendingAction(int code) { m_pending = code; }
    int pendingAction() const { return m_pending; }

private:
    TDevice *m_device;
    int m_pending = -1;
};
