#include "win95form.h"

#include "cfg.h"
#include "moduleinfo.h"
#include "systools.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QMdiSubWindow>

TWin95Form::TWin95Form(QWidget *parent) : QWidget(parent) {}

TWin95Form::~TWin95Form()
{
    runDestroy();
}

void TWin95Form::Lock(bool on)
{
    if (on)
        ++m_lock;
    else if (m_lock > 0)
        --m_lock;
}

TFormModuleInfo *TWin95Form::formInfo() const
{
    return findChild<TFormModuleInfo *>(QStringLiteral("FMI"), Qt::FindDirectChildrenOnly);
}

TReportModuleInfo *TWin95Form::reportInfo() const
{
    return findChild<TReportModuleInfo *>(QStringLiteral("RMI"), Qt::FindDirectChildrenOnly);
}

TModuleInfo *TWin95Form::moduleInfo() const
{
    if (auto *f = formInfo())
        return f;
    return reportInfo();
}

void TWin95Form::runCreate()
{
    if (m_created)
        return;
    m_created = true;
    FormCreate();
}

void TWin95Form::runDestroy()
{
    if (!m_created || m_destroying)
        return;
    m_destroying = true;
    try {
        FormDestroy();
    } catch (...) {
        Systools::HandleException(QString::fromLatin1(metaObject()->className()) + QStringLiteral(".FormDestroy()"), this, true);
    }
}

void TWin95Form::setStatusHint(const QString &h)
{
    if (h == m_hint)
        return;
    m_hint = h;
    emit statusHintChanged(h);
}

int TWin95Form::ShowModal()
{
    ModalResult = 0;
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose, false);
    show();
    QEventLoop loop;
    m_modalLoop = &loop;
    loop.exec();
    m_modalLoop = nullptr;
    hide();
    return ModalResult;
}

void TWin95Form::closeModal(int result)
{
    ModalResult = result;
    if (m_modalLoop)
        m_modalLoop->quit();
}

void TWin95Form::saveWindowOptions()
{
    if (!Options)
        return;
    QWidget *w = qobject_cast<QMdiSubWindow *>(parentWidget()) ? parentWidget() : this;
    if (Options & (woLoadSize | woLoadPosition))
        Cfg::SetCompValue(this, QStringLiteral("Geometry"), w->geometry());
    if (Options & woLoadWindowState)
        Cfg::SetCompValue(this, QStringLiteral("WindowState"), int(w->windowState()));
}

void TWin95Form::restoreWindowOptions()
{
    if (!Options || m_restored)
        return;
    m_restored = true;
    QWidget *w = qobject_cast<QMdiSubWindow *>(parentWidget()) ? parentWidget() : this;
    const QRect g = Cfg::GetCompValue(this, QStringLiteral("Geometry"), QRect()).toRect();
    if (g.isValid()) {
        if (Options & woLoadSize)
            w->resize(g.size());
        if (Options & woLoadPosition)
            w->move(g.topLeft());
    }
    if (Options & woLoadWindowState) {
        const int st = Cfg::GetCompValue(this, QStringLiteral("WindowState"), 0).toInt();
        if (st)
            w->setWindowState(Qt::WindowStates(st));
    }
}

void TWin95Form::showEvent(QShowEvent *e)
{
    restoreWindowOptions();
    QWidget::showEvent(e);
}

void TWin95Form::closeEvent(QCloseEvent *e)
{
    saveWindowOptions();
    if (m_modalLoop) {
        if (!ModalResult)
            ModalResult = 2;
        m_modalLoop->quit();
    }
    QWidget::closeEvent(e);
    // A form that goes away with its window runs its destroy handler while it is still whole.
    if (e->isAccepted() && testAttribute(Qt::WA_DeleteOnClose))
        runDestroy();
}
