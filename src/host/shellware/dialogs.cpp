#include "dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace Dialogs {

namespace {

struct State
{
    bool scripted = false;
    std::function<void(const QString &)> onUnexpected;
    QList<Expectation> queue;
    QList<Request> history;
};

State &state()
{
    static State s;
    return s;
}

QString defaultTitle() { return QStringLiteral("Fehlerdoku"); }

Reply runReal(QWidget *parent, const Request &r)
{
    Reply rep;
    const QString title = r.title.isEmpty() ? defaultTitle() : r.title;
    switch (r.kind) {
    case Kind::Message: {
        QMessageBox::Icon icon = QMessageBox::Information;
        if (r.icon == Icon::Warning)
            icon = QMessageBox::Warning;
        else if (r.icon == Icon::Critical)
            icon = QMessageBox::Critical;
        QMessageBox box(icon, title, r.text, QMessageBox::Ok, parent);
        box.exec();
        rep.button = Ok;
        break;
    }
    case Kind::Question: {
        QMessageBox box(QMessageBox::Question, title, r.text, QMessageBox::NoButton, parent);
        QAbstractButton *yes = box.addButton(QStringLiteral("Ja"), QMessageBox::YesRole);
        QAbstractButton *no = box.addButton(QStringLiteral("Nein"), QMessageBox::NoRole);
        if (r.withCancel)
            box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
        box.setDefaultButton(static_cast<QPushButton *>(yes));
        box.exec();
        rep.button = box.clickedButton() == yes ? Yes : (box.clickedButton() == no ? No : Cancel);
        if (!r.withCancel && rep.button == Cancel)
            rep.button = No;
        break;
    }
    case Kind::Input: {
        bool ok = false;
        rep.value = QInputDialog::getText(parent, title, r.text, r.password ? QLineEdit::Password : QLineEdit::Normal,
                                          r.value, &ok);
        rep.button = ok ? Ok : Cancel;
        break;
    }
    case Kind::Choice: {
        bool ok = false;
        const int cur = qMax(0, int(r.items.indexOf(r.value)));
        rep.value = QInputDialog::getItem(parent, title, r.text, r.items, cur, false, &ok);
        rep.button = ok ? Ok : Cancel;
        break;
    }
    case Kind::OpenFile:
        rep.value = QFileDialog::getOpenFileName(parent, title, r.value, r.filter);
        rep.button = rep.value.isEmpty() ? Cancel : Ok;
        break;
    case Kind::SaveFile:
        rep.value = QFileDialog::getSaveFileName(parent, title, r.value, r.filter);
        rep.button = rep.value.isEmpty() ? Cancel : Ok;
        break;
    case Kind::Directory:
        rep.value = QFileDialog::getExistingDirectory(parent, title, r.value);
        rep.button = rep.value.isEmpty() ? Cancel : Ok;
        break;
    }
    return rep;
}

} // namespace

QString kindName(Kind k)
{
    switch (k) {
    case Kind::Message: return QStringLiteral("Meldung");
    case Kind::Question: return QStringLiteral("Frage");
    case Kind::Input: return QStringLiteral("Eingabe");
    case Kind::OpenFile: return QStringLiteral("Datei öffnen");
    case Kind::SaveFile: return QStringLiteral("Datei speichern");
    case Kind::Directory: return QStringLiteral("Ordner wählen");
    case Kind::Choice: return QStringLiteral("Auswahl");
    }
    return QString();
}

Reply show(QWidget *parent, const Request &r)
{
    State &s = state();
    s.history.append(r);
    if (!s.scripted)
        return runReal(parent, r);
    for (int i = 0; i < s.queue.size(); ++i) {
        const Expectation &e = s.queue.at(i);
        if (e.kind == r.kind && (e.textContains.isEmpty() || r.text.contains(e.textContains))) {
            Reply rep = e.reply;
            s.queue.removeAt(i);
            return rep;
        }
        break; // expectations are answered in order
    }
    const QString what = QStringLiteral("unexpected dialog (%1): %2").arg(kindName(r.kind), r.text);
    if (s.onUnexpected)
        s.onUnexpected(what);
    Reply rep;
    rep.button = r.kind == Kind::Message ? Ok : Cancel;
    return rep;
}

int message(QWidget *parent, const QString &text, Icon icon, const QString &title)
{
    Request r;
    r.kind = Kind::Message;
    r.text = text;
    r.icon = icon;
    r.title = title;
    show(parent, r);
    return Ok;
}

int question(QWidget *parent, const QString &text, bool withCancel, const QString &title)
{
    Request r;
    r.kind = Kind::Question;
    r.text = text;
    r.icon = Icon::Question;
    r.withCancel = withCancel;
    r.title = title;
    const Reply rep = show(parent, r);
    if (rep.button == Yes || rep.button == No)
        return rep.button;
    return withCancel ? Cancel : No;
}

std::optional<QString> input(QWidget *parent, const QString &label, const QString &value, const QString &title)
{
    Request r;
    r.kind = Kind::Input;
    r.text = label;
    r.value = value;
    r.title = title;
    const Reply rep = show(parent, r);
    if (rep.button != Ok)
        return std::nullopt;
    return rep.value;
}

std::optional<QString> choose(QWidget *parent, const QString &label, const QStringList &items, const QString &current,
                              const QString &title)
{
    Request r;
    r.kind = Kind::Choice;
    r.text = label;
    r.items = items;
    r.value = current;
    r.title = title;
    const Reply rep = show(parent, r);
    if (rep.button != Ok)
        return std::nullopt;
    return rep.value;
}

std::optional<QString> password(QWidget *parent, const QString &label, const QString &title)
{
    Request r;
    r.kind = Kind::Input;
    r.text = label;
    r.title = title;
    r.password = true;
    const Reply rep = show(parent, r);
    if (rep.button != Ok)
        return std::nullopt;
    return rep.value;
}

static QString fileDialog(Kind k, QWidget *parent, const QString &title, const QString &start, const QString &filter)
{
    Request r;
    r.kind = k;
    r.text = title;
    r.title = title;
    r.value = start;
    r.filter = filter;
    const Reply rep = show(parent, r);
    return rep.button == Ok ? rep.value : QString();
}

QString openFile(QWidget *parent, const QString &title, const QString &start, const QString &filter)
{
    return fileDialog(Kind::OpenFile, parent, title, start, filter);
}

QString saveFile(QWidget *parent, const QString &title, const QString &start, const QString &filter)
{
    return fileDialog(Kind::SaveFile, parent, title, start, filter);
}

QString directory(QWidget *parent, const QString &title, const QString &start)
{
    return fileDialog(Kind::Directory, parent, title, start, QString());
}

void setScripted(bool on, std::function<void(const QString &)> onUnexpected)
{
    State &s = state();
    s.scripted = on;
    s.onUnexpected = std::move(onUnexpected);
    s.queue.clear();
    s.history.clear();
}

bool isScripted() { return state().scripted; }

void expect(Kind kind, const Reply &reply, const QString &textContains)
{
    state().queue.append(Expectation{kind, textContains, reply});
}

void expectMessage(const QString &textContains) { expect(Kind::Message, Reply{Ok, QString()}, textContains); }

void expectQuestion(int answer, const QString &textContains)
{
    expect(Kind::Question, Reply{answer, QString()}, textContains);
}

int pendingExpectations() { return state().queue.size(); }
void clearExpectations() { state().queue.clear(); }
QList<Request> history() { return state().history; }
void clearHistory() { state().history.clear(); }

} // namespace Dialogs
