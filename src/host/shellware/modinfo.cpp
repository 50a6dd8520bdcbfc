#include "modinfo.h"

#include "iconstyle.h"

#include "dialogs.h"
#include "systools.h"
#include "user.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <dlfcn.h>
#include <QVBoxLayout>

namespace Modinfo {

namespace {
struct Registry
{
    QList<ClassEntry> classes;
    QList<QPointer<TWin95Form>> forms;
    QString loading;
    Host *host = nullptr;
    std::vector<void *> libs;
};
Registry &reg()
{
    static Registry r;
    return r;
}

void track(TWin95Form *form, const ClassEntry &e)
{
    reg().forms.append(form);
    auto getVar = e.getVar;
    auto setVar = e.setVar;
    QObject::connect(form, &QObject::destroyed, [form, getVar, setVar]() {
        // The module clears its variable in FormDestroy; a variable still pointing at a dead form
        // would crash the next call, so the registry clears it as well.
        if (getVar && getVar() == form)
            setVar(nullptr);
        reg().forms.removeAll(QPointer<TWin95Form>());
    });
}

TWin95Form *instantiate(const ClassEntry &e, QWidget *parent)
{
    Shell::EnsureIconCache();
    TWin95Form *form = e.create(parent);
    form->setObjectName(e.className.mid(1));
    if (!form->moduleInfo()) {
        TModuleInfo *m = e.report ? static_cast<TModuleInfo *>(new TReportModuleInfo(form))
                                  : static_cast<TModuleInfo *>(new TFormModuleInfo(form));
        e.describe(*m);
    }
    if (TModuleInfo *m = form->moduleInfo())
        m->setReadOnly(ReadOnlyFor(*m));
    if (!(e.manifest && (e.manifest->Flags & ffNoReference)) && e.setVar)
        e.setVar(form);
    track(form, e);
    try {
        form->runCreate();
    } catch (...) {
        Systools::HandleException(e.className + QStringLiteral(".FormCreate()"), form, false);
        form->runDestroy();
        delete form;
        return nullptr;
    }
    return form;
}

void execute(TWin95Form *form, const QVariantList &args, int last, QWidget *caller)
{
    TFormModuleInfo *fmi = form->formInfo();
    if (!fmi || !fmi->OnExecute)
        return;
    try {
        fmi->OnExecute(fmi, caller, args, last);
    } catch (...) {
        Systools::HandleException(QString::fromLatin1(form->metaObject()->className()) + QStringLiteral(".FMIExecute"),
                                  form, false);
    }
}

TWin95Form *runningInstance(const ClassEntry &e)
{
    if (e.getVar)
        if (TWin95Form *f = e.getVar())
            return f;
    if (e.manifest && (e.manifest->Flags & ffOnlyOneCanRunning)) {
        const QList<TWin95Form *> open = OpenForms(e.className);
        if (!open.isEmpty())
            return open.first();
    }
    return nullptr;
}

int normLast(const QVariantList &args, int last) { return last < -1 ? int(args.size()) - 1 : last; }
} // namespace

void SetHost(Host *host) { reg().host = host; }
Host *CurrentHost() { return reg().host; }

bool Register(ClassEntry e)
{
    Registry &r = reg();
    e.library = r.loading;
    TModuleInfo *m = e.report ? static_cast<TModuleInfo *>(new TReportModuleInfo)
                              : static_cast<TModuleInfo *>(new TFormModuleInfo);
    e.manifest.reset(m);
    e.describe(*m);
    for (const ClassEntry &old : r.classes)
        if (old.className.compare(e.className, Qt::CaseInsensitive) == 0) {
            // The first registration stays; a second library with the same class is reported.
            Systools::Dbg(QStringLiteral("Klasse %1 aus %2 ist bereits aus %3 registriert und wird ignoriert")
                              .arg(e.className, e.library, old.library));
            return false;
        }
    r.classes.append(std::move(e));
    return true;
}

const ClassEntry *FindClass(const QString &className)
{
    for (const ClassEntry &e : reg().classes)
        if (e.className.compare(className, Qt::CaseInsensitive) == 0)
            return &e;
    return nullptr;
}

QList<const ClassEntry *> Classes()
{
    QList<const ClassEntry *> out;
    for (const ClassEntry &e : reg().classes)
        out << &e;
    return out;
}

QList<TWin95Form *> OpenForms()
{
    QList<TWin95Form *> out;
    for (const auto &p : reg().forms)
        if (p && !p->isDestroying())
            out << p.data();
    return out;
}

QList<TWin95Form *> OpenForms(const QString &className)
{
    QList<TWin95Form *> out;
    for (TWin95Form *f : OpenForms())
        if (QString::fromLatin1(f->metaObject()->className()).compare(className, Qt::CaseInsensitive) == 0)
            out << f;
    return out;
}

bool IsFormPresent(const QString &className) { return FindClass(className) != nullptr; }

bool ReadOnlyFor(const TModuleInfo &m) { return m.Security == fsReadOnly && User::CurUser_Type() < 128; }

TWin95Form *CreateAndRunForm(const QString &className, const QVariantList &args, int lastIndex, void *)
{
    Host *h = reg().host;
    QWidget *caller = h ? h->activeForm() : nullptr;
    return RunForm(className, args, lastIndex, caller);
}

TWin95Form *RunForm(const QString &className, const QVariantList &args, int lastIndex, QWidget *caller)
{
    const ClassEntry *e = FindClass(className);
    if (!e || e->report) {
        Systools::Dbg(QStringLiteral("CreateAndRunForm: Klasse %1 ist nicht registriert").arg(className));
        Dialogs::message(nullptr,
                         QStringLiteral("Das Modul \u201E%1\u201C ist nicht installiert.").arg(className),
                         Dialogs::Icon::Warning);
        return nullptr;
    }
    const ClassEntry entry = *e; // the registry may change while the form runs
    const int last = normLast(args, lastIndex);
    Host *h = reg().host;
    if (TWin95Form *running = runningInstance(entry)) {
        if (h)
            h->activateForm(running);
        else
            running->activateWindow();
        execute(running, args, last, caller);
        return running;
    }
    TWin95Form *form = instantiate(entry, nullptr);
    if (!form)
        return nullptr;
    const int flags = entry.manifest->Flags;
    if (flags & ffModal) {
        execute(form, args, last, caller);
        QPointer<TWin95Form> guard(form);
        form->ShowModal();
        if (guard)
            DestroyForm(form);
        return nullptr;
    }
    form->setAttribute(Qt::WA_DeleteOnClose);
    if (h)
        h->showForm(form, entry);
    else if (!(flags & ffHidding))
        form->show();
    execute(form, args, last, caller);
    return form;
}

TWin95Form *CreateForm(const QString &className, const QVariantList &args, int lastIndex, QWidget *parent,
                       bool visible)
{
    const ClassEntry *e = FindClass(className);
    if (!e) {
        Systools::Dbg(QStringLiteral("CreateForm: Klasse %1 ist nicht registriert").arg(className));
        return nullptr;
    }
    const ClassEntry entry = *e;
    TWin95Form *form = instantiate(entry, parent);
    if (!form)
        return nullptr;
    if (parent) {
        if (!parent->layout()) {
            auto *l = new QVBoxLayout(parent);
            l->setContentsMargins(0, 0, 0, 0);
        }
        parent->layout()->addWidget(form);
    }
    execute(form, args, normLast(args, lastIndex), parent ? parent->window() : nullptr);
    form->setVisible(visible);
    return form;
}

TWin95Form *ReportForm(const QString &className)
{
    const ClassEntry *e = FindClass(className);
    if (!e || !e->report)
        return nullptr;
    const ClassEntry entry = *e;
    if (TWin95Form *f = runningInstance(entry))
        return f;
    const QList<TWin95Form *> open = OpenForms(entry.className);
    if (!open.isEmpty())
        return open.first();
    return instantiate(entry, nullptr); // report forms stay hidden
}

void NotifyGlobalChanged(QWidget *form, int flags)
{
    auto *f = qobject_cast<TWin95Form *>(form);
    if (!f)
        return;
    TFormModuleInfo *fmi = f->formInfo();
    if (!fmi || !fmi->OnGlobalChanged)
        return;
    fmi->OnGlobalChanged(fmi, flags);
}

void BroadcastGlobalChanged(int flags)
{
    for (TWin95Form *f : OpenForms()) {
        try {
            NotifyGlobalChanged(f, flags);
        } catch (...) {
            Systools::HandleException(QString::fromLatin1(f->metaObject()->className()) + QStringLiteral(".FMIGlobalChanged"),
                                      f, false);
        }
    }
}

void DestroyForm(TWin95Form *form)
{
    if (!form)
        return;
    form->saveWindowOptions();
    form->runDestroy();
    delete form;
}

void DestroyAllForms()
{
    // Guard every form before the first one goes: destroying a top-level form also destroys the
    // page forms it embeds, and a raw pointer to one of those would dangle.
    QList<QPointer<TWin95Form>> forms;
    for (TWin95Form *f : OpenForms())
        forms << QPointer<TWin95Form>(f);
    for (const QPointer<TWin95Form> &p : forms)
        if (p && !p->parentWidget())
            DestroyForm(p);
    forms.clear();
    for (TWin95Form *f : OpenForms())
        forms << QPointer<TWin95Form>(f);
    for (const QPointer<TWin95Form> &p : forms)
        if (p)
            DestroyForm(p);
}

void SetLoadingLibrary(const QString &fileName) { reg().loading = fileName; }

LoadResult LoadModules(const QString &folder, bool quiet)
{
    LoadResult res;
    const QDir dir(folder);
    QStringList files;
    for (const QString &f : dir.entryList(QDir::Files, QDir::Name))
        if (f.endsWith(QLatin1String(".mdl"), Qt::CaseInsensitive))
            files << f;
    for (const QString &f : files) {
        // Opened directly and locally: a module registers itself from its static initializers
        // and offers nothing to the modules loaded after it, whose symbol look-ups then stay
        // short; functions are bound when first called.
        SetLoadingLibrary(f);
        void *handle = dlopen(QFile::encodeName(dir.filePath(f)).constData(), RTLD_LAZY | RTLD_LOCAL);
        SetLoadingLibrary(QString());
        if (!handle) {
            const char *err = dlerror();
            const QString why = err ? QString::fromLocal8Bit(err) : QStringLiteral("unbekannter Fehler");
            res.failed << f + QStringLiteral(": ") + why;
            Systools::Protocol::instance().add(QStringLiteral("Fehler"), QStringLiteral("Modinfo.LoadModules(%1)").arg(f), why);
            if (!quiet)
                Dialogs::message(nullptr,
                                 QStringLiteral("Das Modul \u201E%1\u201C konnte nicht geladen werden:\n%2").arg(f, why),
                                 Dialogs::Icon::Warning);
            continue;
        }
        res.loaded << f;
        reg().libs.push_back(handle); // stays loaded for the run
    }
    return res;
}

void ClearRegistry() { reg().classes.clear(); }

} // namespace Modinfo
