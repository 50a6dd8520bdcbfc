#pragma once
// The one place where the program and its modules talk to the user in a modal dialog: messages,
// yes/no questions, text input and file choice. Tests switch it to scripted mode and answer the
// dialogs they expect in advance; a dialog nobody expected is reported to the failure handler and
// answered with "cancel" so that nothing ever waits for a click.

#include "shellware_global.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace Dialogs {

enum class Kind { Message, Question, Input, OpenFile, SaveFile, Directory, Choice };

enum Answer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

enum class Icon { Information, Warning, Critical, Question };

struct Request
{
    Kind kind = Kind::Message;
    QString title;
    QString text;
    Icon icon = Icon::Information;
    bool withCancel = false;   // questions: yes / no / cancel
    QString value;             // input default, file dialog start path
    QString filter;            // file dialogs
    QStringList items;         // choice
    bool password = false;     // input hidden as typed
};

struct Reply
{
    int button = Ok;    // Ok, Cancel, Yes, No
    QString value;      // input text or chosen path
};

FD_SHELLWARE_EXPORT QString kindName(Kind k);

// Message box; returns Ok.
FD_SHELLWARE_EXPORT int message(QWidget *parent, const QString &text, Icon icon = Icon::Information,
                                const QString &title = QString());
// Yes/no (or yes/no/cancel) question: Yes (6), No (7) or Cancel (2).
FD_SHELLWARE_EXPORT int question(QWidget *parent, const QString &text, bool withCancel = false,
                                 const QString &title = QString());
// Text input; no value when cancelled.
FD_SHELLWARE_EXPORT std::optional<QString> input(QWidget *parent, const QString &label,
                                                 const QString &value = QString(),
                                                 const QString &title = QString());
// One of `items` (the reply's value); no value when cancelled.
FD_SHELLWARE_EXPORT std::optional<QString> choose(QWidget *parent, const QString &label, const QStringList &items,
                                                  const QString &current = QString(), const QString &title = QString());
FD_SHELLWARE_EXPORT std::optional<QString> password(QWidget *parent, const QString &label, const QString &title = QString());
// File and folder choice; empty when cancelled.
FD_SHELLWARE_EXPORT QString openFile(QWidget *parent, const QString &title, const QString &start = QString(),
                                     const QString &filter = QString());
FD_SHELLWARE_EXPORT QString saveFile(QWidget *parent, const QString &title, const QString &start = QString(),
                                     const QString &filter = QString());
FD_SHELLWARE_EXPORT QString directory(QWidget *parent, const QString &title, const QString &start = QString());

// The general entry: everything above goes through here.
FD_SHELLWARE_EXPORT Reply show(QWidget *parent, const Request &r);

// ---- scripted mode (tests) ----
struct Expectation
{
    Kind kind;
    QString textContains;   // empty matches any text
    Reply reply;
};

// In scripted mode no real dialog ever opens. `onUnexpected` receives a description of each
// dialog for which no expectation was queued (tests turn it into a failure).
FD_SHELLWARE_EXPORT void setScripted(bool on, std::function<void(const QString &)> onUnexpected = {});
FD_SHELLWARE_EXPORT bool isScripted();
FD_SHELLWARE_EXPORT void expect(Kind kind, const Reply &reply, const QString &textContains = QString());
FD_SHELLWARE_EXPORT void expectMessage(const QString &textContains = QString());
FD_SHELLWARE_EXPORT void expectQuestion(int answer, const QString &textContains = QString());
// Expectations not yet consumed.
FD_SHELLWARE_EXPORT int pendingExpectations();
FD_SHELLWARE_EXPORT void clearExpectations();
// Every dialog shown (scripted or real) since the last clear, in order.
FD_SHELLWARE_EXPORT QList<Request> history();
FD_SHELLWARE_EXPORT void clearHistory();

} // namespace Dialogs
