#pragma once
// The module registry: libraries register their form and report classes when they are loaded;
// the host and the modules create forms by class name.

#include "moduleinfo.h"
#include "shellware_global.h"
#include "win95form.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QVariantList>
#include <functional>
#include <memory>

namespace Modinfo {

struct FD_SHELLWARE_EXPORT ClassEntry
{
    QString className;
    QString library;   // file name of the library that registered it ("" when built in)
    bool report = false;
    std::function<TWin95Form *(QWidget *)> create;
    std::function<void(TModuleInfo &)> describe;
    // The module's form variable, when it passed one.
    std::function<TWin95Form *()> getVar;
    std::function<void(TWin95Form *)> setVar;
    bool hasVar() const { return bool(getVar); }
    // The manifest as described, without an instance.
    std::shared_ptr<TModuleInfo> manifest;
};

// What the host program does with a new form (MDI child, top-level window, modal).
class FD_SHELLWARE_EXPORT Host
{
public:
    virtual ~Host() = default;
    // Shows a form created by CreateAndRunForm (not called for modal forms).
    virtual void showForm(TWin95Form *form, const ClassEntry &entry) = 0;
    virtual void activateForm(TWin95Form *form) = 0;
    // The form the user works in (the caller passed to FMIExecute).
    virtual QWidget *activeForm() const = 0;
};

FD_SHELLWARE_EXPORT void SetHost(Host *host);
FD_SHELLWARE_EXPORT Host *CurrentHost();

FD_SHELLWARE_EXPORT bool Register(ClassEntry entry);

// Registration from a module's static initializer:
//   static const bool registered = Modinfo::RegisterModuleForm<TPersonForm>(&PersonForm);
// The class provides `static void Describe(TModuleInfo &)` (the manifest values) and a
// constructor taking the parent widget.
template<class F>
bool RegisterModuleForm(F **formVar)
{
    ClassEntry e;
    e.className = QString::fromLatin1(F::staticMetaObject.className());
    e.create = [](QWidget *parent) -> TWin95Form * { return new F(parent); };
    e.describe = [](TModuleInfo &m) { F::Describe(m); };
    if (formVar) {
        e.getVar = [formVar]() -> TWin95Form * { return *formVar; };
        e.setVar = [formVar](TWin95Form *f) { *formVar = static_cast<F *>(f); };
    }
    return Register(std::move(e));
}

template<class F>
bool RegisterModuleReport(F **formVar)
{
    ClassEntry e;
    e.className = QString::fromLatin1(F::staticMetaObject.className());
    e.report = true;
    e.create = [](QWidget *parent) -> TWin95Form * { return new F(parent); };
    e.describe = [](TModuleInfo &m) { F::Describe(m); };
    if (formVar) {
        e.getVar = [formVar]() -> TWin95Form * { return *formVar; };
        e.setVar = [formVar](TWin95Form *f) { *formVar = static_cast<F *>(f); };
    }
    return Register(std::move(e));
}

// Creates the form (or activates the running one: the instance in the form variable, or any
// instance of an ffOnlyOneCanRunning class) and calls its FMIExecute with `args`. `lastIndex`
// below -1 means args.size() - 1. The close handler is always null. Modal forms run to their end
// before the call returns (the result is then null).
FD_SHELLWARE_EXPORT TWin95Form *CreateAndRunForm(const QString &className, const QVariantList &args = {},
                                                 int lastIndex = -2, void *closeHandler = nullptr);
// The same with an explicit caller (the host menu passes null).
FD_SHELLWARE_EXPORT TWin95Form *RunForm(const QString &className, const QVariantList &args, int lastIndex,
                                        QWidget *caller);
// Creates the form inside `parent` (filling it), runs FMIExecute, shows it when `visible`.
FD_SHELLWARE_EXPORT TWin95Form *CreateForm(const QString &className, const QVariantList &args, int lastIndex,
                                           QWidget *parent, bool visible = true);
// Creates the report form (hidden) or returns the running one.
FD_SHELLWARE_EXPORT TWin95Form *ReportForm(const QString &className);
FD_SHELLWARE_EXPORT bool IsFormPresent(const QString &className);
// Calls the form's FMIGlobalChanged.
FD_SHELLWARE_EXPORT void NotifyGlobalChanged(QWidget *form, int flags);
// Host: every open form.
FD_SHELLWARE_EXPORT void BroadcastGlobalChanged(int flags);
// Runs FormDestroy and deletes the form.
FD_SHELLWARE_EXPORT void DestroyForm(TWin95Form *form);
FD_SHELLWARE_EXPORT void DestroyAllForms();

FD_SHELLWARE_EXPORT const ClassEntry *FindClass(const QString &className);
FD_SHELLWARE_EXPORT QList<const ClassEntry *> Classes();
FD_SHELLWARE_EXPORT QList<TWin95Form *> OpenForms();
FD_SHELLWARE_EXPORT QList<TWin95Form *> OpenForms(const QString &className);

// The read-only state a manifest gets for the current user: fsReadOnly modules are read-only for
// users below level 128.
FD_SHELLWARE_EXPORT bool ReadOnlyFor(const TModuleInfo &m);

// Loading: the library file name recorded with the registrations made while it loads.
FD_SHELLWARE_EXPORT void SetLoadingLibrary(const QString &fileName);
struct LoadResult
{
    QStringList loaded;
    QStringList failed;   // "file: reason"
};
// Loads every "*.mdl" of `folder` (sorted by name); a library that fails is reported in the
// protocol and, unless quiet, in a message, and loading goes on.
FD_SHELLWARE_EXPORT LoadResult LoadModules(const QString &folder, bool quiet = false);
// Test support: forgets all registrations (the libraries stay loaded).
FD_SHELLWARE_EXPORT void ClearRegistry();

} // namespace Modinfo
