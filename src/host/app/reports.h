#pragma once
// The host's side of the report action protocol: query codes 4 (may preview), 5 (may print),
// 6 (may design); actions 0 (preview), 1 (print), 2 (design); code 8 first when the report was
// chosen while a form named in its LinkedForms is active.

#include <QString>

class QWidget;

namespace hostapp {

enum ReportAction { Preview = 0, Print = 1, Design = 2 };

// Asks the report (query code 4, 5 or 6) whether the action is allowed.
bool reportAllows(const QString &reportClass, int action);
// Runs the action; passes code 8 with `activeForm` as sender first when that form's class is
// linked. Returns false when the report class is unknown.
bool runReport(const QString &reportClass, int action, QWidget *activeForm);

} // namespace hostapp
