#include "reports.h"

#include "host/shellware/modinfo.h"
#include "host/shellware/systools.h"

namespace hostapp {

namespace {
TReportModuleInfo *rmiOf(const QString &cls)
{
    TWin95Form *f = Modinfo::ReportForm(cls);
    return f ? f->reportInfo() : nullptr;
}
} // namespace

bool reportAllows(const QString &reportClass, int action)
{
    TReportModuleInfo *rmi = rmiOf(reportClass);
    if (!rmi || action < 0 || action > 2)
        return false;
    try {
        return rmi->runAction(4 + action, false);
    } catch (...) {
        Systools::HandleException(reportClass + QStringLiteral(".RMIAction(%1)").arg(4 + action), rmi, true);
        return false;
    }
}

bool runReport(const QString &reportClass, int action, QWidget *activeForm)
{
    TReportModuleInfo *rmi = rmiOf(reportClass);
    if (!rmi)
        return false;
    try {
        const QString activeClass = activeForm ? QString::fromLatin1(activeForm->metaObject()->className()) : QString();
        if (!activeClass.isEmpty() && rmi->linkedClasses().contains(activeClass, Qt::CaseInsensitive)) {
            // The module takes over the selection of the calling form and continues with
            // SelectAction, which runs the pending action.
            rmi->setPendingAction(action);
            rmi->runAction(8, false, activeForm);
            rmi->setPendingAction(-1);
        } else {
            rmi->runAction(action, false);
        }
    } catch (...) {
        rmi->setPendingAction(-1);
        Systools::HandleException(reportClass + QStringLiteral(".RMIAction(%1)").arg(action), rmi, false);
    }
    return true;
}

} // namespace hostapp
