#include "mainwindow.h"

#include "protocolwindow.h"
#include "reports.h"
#include "systemeinstellung.h"

#include "host/recordware/datenmodul.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/systools.h"
#include "host/shellware/user.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QRegularExpression>
#include <map>

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainWindow"));
    m_mdi = new QMdiArea(this);
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &MainWindow::subWindowActivated);
    statusBar()->showMessage(QStringLiteral("Bereit."));
    buildMenus();
    Modinfo::SetHost(this);
    resize(1024, 700);
}

MainWindow::~MainWindow()
{
    if (Modinfo::CurrentHost() == this)
        Modinfo::SetHost(nullptr);
}

static QString menuGroupOf(const QString &description)
{
    const int dash = description.indexOf(QStringLiteral(" - "));
    return dash > 0 ? description.left(dash).trimmed() : QString();
}

void MainWindow::buildMenus()
{
    menuBar()->clear();
    QMenu *file = menuBar()->addMenu(QStringLiteral("&Datei"));
    QAction *settings = file->addAction(QStringLiteral("&Systemeinstellungen\u2026"), this, &MainWindow::openSettings);
    m_settings = settings;
    settings->setStatusTip(QStringLiteral("Nummernkreise, Tabellen, Protokoll und Datenbankverbindung einstellen"));
    file->addSeparator();
    QAction *quit = file->addAction(QStringLiteral("&Beenden"), this, &QWidget::close);
    quit->setShortcut(QKeySequence(QStringLiteral("Alt+F4")));
    quit->setStatusTip(QStringLiteral("Programm beenden"));

    // Module menu: one entry per form manifest; forms that live only as pages of the settings dialog
    // or of the company dossier are left out. Descriptions "Gruppe - Titel" sharing a group form a
    // submenu.
    m_modules = menuBar()->addMenu(QStringLiteral("&Module"));
    m_modules->setObjectName(QStringLiteral("Module"));
    std::map<QString, QList<const Modinfo::ClassEntry *>> groups;
    QList<const Modinfo::ClassEntry *> forms;
    for (const Modinfo::ClassEntry *e : Modinfo::Classes()) {
        if (e->report)
            continue;
        const TModuleInfo &m = *e->manifest;
        bool page = false;
        for (const QString &l : m.LinkedForms)
            if (l.startsWith(QLatin1String("TSystemEinstellungForm."), Qt::CaseInsensitive))
                page = true;
        if (page || (m.Flags & ffHidding) || (!e->hasVar() && !(m.Flags & ffModal) && !(m.Flags & ffNoMDIChild)))
            continue; // pages embedded by others
        forms << e;
        groups[menuGroupOf(m.Description)] << e;
    }
    std::sort(forms.begin(), forms.end(), [](auto *a, auto *b) {
        return QString::localeAwareCompare(a->manifest->Description, b->manifest->Description) < 0;
    });
    QHash<QString, QMenu *> sub;
    for (const Modinfo::ClassEntry *e : forms) {
        const TModuleInfo &m = *e->manifest;
        const QString group = menuGroupOf(m.Description);
        QMenu *into = m_modules;
        QString text = m.Description.trimmed();
        if (!group.isEmpty() && groups[group].size() > 1) {
            if (!sub.contains(group))
                sub.insert(group, m_modules->addMenu(group));
            into = sub.value(group);
            text = text.mid(text.indexOf(QStringLiteral(" - ")) + 3).trimmed();
        }
        QAction *a = into->addAction(m.Icon, text);
        a->setObjectName(e->className);
        a->setStatusTip(m.Hint.isEmpty() ? m.Description.trimmed() : m.Hint);
        a->setToolTip(m.Hint);
        const QString cls = e->className;
        connect(a, &QAction::triggered, this, [cls]() { Modinfo::RunForm(cls, {}, -1, nullptr); });
    }
    if (forms.isEmpty())
        m_modules->addAction(QStringLiteral("(keine Module installiert)"))->setEnabled(false);

    m_reports = menuBar()->addMenu(QStringLiteral("&Berichte"));
    m_reports->setObjectName(QStringLiteral("Berichte"));
    bool anyReport = false;
    for (const Modinfo::ClassEntry *e : Modinfo::Classes())
        if (e->report) {
            addReport(*e);
            anyReport = true;
        }
    if (!anyReport)
        m_reports->addAction(QStringLiteral("(keine Berichte installiert)"))->setEnabled(false);

    QMenu *extras = menuBar()->addMenu(QStringLiteral("E&xtras"));
    QAction *reload = extras->addAction(QStringLiteral("Nachschlagelisten neu laden"), this, &MainWindow::reloadLookups);
    m_reload = reload;
    reload->setStatusTip(QStringLiteral("Alle offenen Fenster laden ihre Auswahllisten neu aus der Datenbank"));
    QAction *proto = extras->addAction(QStringLiteral("Protokoll anzeigen"), this, &MainWindow::showProtocol);
    proto->setStatusTip(QStringLiteral("Fehlermeldungen und Hinweise dieser Sitzung"));

    m_window = menuBar()->addMenu(QStringLiteral("&Fenster"));
    m_window->setObjectName(QStringLiteral("Fenster"));
    connect(m_window, &QMenu::aboutToShow, this, &MainWindow::fillWindowMenu);
    fillWindowMenu();

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Hilfe"));
    help->addAction(QStringLiteral("Ü&ber Fehlerdoku\u2026"), this, [this]() {
        Dialogs::message(this, QStringLiteral("Fehlerdoku \u2013 Dokumentation von Fehlern und Reklamationen\n\n"
                                              "Benutzer: %1\nMandant: %2")
                                   .arg(User::CurUser_Name(), User::CurMandant_Name()));
    });
    setDatabaseFunctionsEnabled(m_dbFunctions);
}

void MainWindow::setDatabaseFunctionsEnabled(bool on)
{
    m_dbFunctions = on;
    for (QAction *a : {m_settings, m_reload, m_modules ? m_modules->menuAction() : nullptr,
                       m_reports ? m_reports->menuAction() : nullptr})
        if (a)
            a->setEnabled(on);
}

void MainWindow::addReport(const Modinfo::ClassEntry &e)
{
    const auto *rm = static_cast<const TReportModuleInfo *>(e.manifest.get());
    QStringList path = rm->Ident.split(QRegularExpression(QStringLiteral("[\\\\/]")), Qt::SkipEmptyParts);
    if (path.isEmpty())
        path << (rm->Description.isEmpty() ? e.className : rm->Description.trimmed());
    QMenu *into = m_reports;
    for (int i = 0; i + 1 < path.size(); ++i) {
        QMenu *found = nullptr;
        for (QAction *a : into->actions())
            if (a->menu() && a->text() == path.at(i))
                found = a->menu();
        into = found ? found : into->addMenu(path.at(i));
    }
    QMenu *report = into->addMenu(path.last());
    report->setObjectName(e.className);
    report->menuAction()->setStatusTip(rm->Hint.isEmpty() ? rm->Description : rm->Hint);
    const QString cls = e.className;
    const char *names[] = {"Vorschau", "Drucken", "Entwerfen"};
    const char *tips[] = {"Bericht am Bildschirm ansehen", "Bericht drucken", "Berichtsvorlage bearbeiten"};
    for (int action = 0; action < 3; ++action) {
        QAction *a = report->addAction(QString::fromUtf8(names[action]));
        a->setStatusTip(QString::fromUtf8(tips[action]));
        connect(a, &QAction::triggered, this, [this, cls, action]() {
            hostapp::runReport(cls, action, activeForm());
        });
    }
    connect(report, &QMenu::aboutToShow, this, [report, cls]() {
        const QList<QAction *> acts = report->actions();
        for (int action = 0; action < acts.size() && action < 3; ++action)
            acts.at(action)->setEnabled(hostapp::reportAllows(cls, action));
    });
}

QAction *MainWindow::findAction(const QString &path) const
{
    const QStringList parts = path.split(QLatin1Char('/'));
    QList<QAction *> level = menuBar()->actions();
    QAction *hit = nullptr;
    for (const QString &p : parts) {
        hit = nullptr;
        for (QAction *a : level) {
            QString t = a->text();
            t.remove(QLatin1Char('&'));
            if (t == p) {
                hit = a;
                break;
            }
        }
        if (!hit)
            return nullptr;
        level = hit->menu() ? hit->menu()->actions() : QList<QAction *>();
    }
    return hit;
}

void MainWindow::showForm(TWin95Form *form, const Modinfo::ClassEntry &entry)
{
    const int flags = entry.manifest->Flags;
    if (flags & ffHidding)
        return;
    if (flags & ffNoMDIChild) {
        form->setParent(this, Qt::Window);
        form->show();
        form->activateWindow();
        return;
    }
    QMdiSubWindow *sw = m_mdi->addSubWindow(form);
    sw->setAttribute(Qt::WA_DeleteOnClose);
    sw->setWindowIcon(entry.manifest->Icon.isNull() ? windowIcon() : entry.manifest->Icon);
    if (form->windowTitle().isEmpty())
        form->setWindowTitle(entry.manifest->Description.trimmed());
    sw->resize(qMax(form->sizeHint().width(), 520), qMax(form->sizeHint().height(), 360));
    sw->show();
    m_mdi->setActiveSubWindow(sw);
    subWindowActivated(sw);
}

void MainWindow::activateForm(TWin95Form *form)
{
    for (QMdiSubWindow *sw : m_mdi->subWindowList())
        if (sw->widget() == form) {
            if (sw->isMinimized())
                sw->showNormal();
            m_mdi->setActiveSubWindow(sw);
            subWindowActivated(sw);
            return;
        }
    form->show();
    form->raise();
    form->activateWindow();
}

QWidget *MainWindow::activeForm() const
{
    if (QMdiSubWindow *sw = m_mdi->currentSubWindow())
        if (auto *f = qobject_cast<TWin95Form *>(sw->widget()))
            return f;
    if (auto *f = qobject_cast<TWin95Form *>(QApplication::activeWindow()))
        return f;
    return nullptr;
}

void MainWindow::subWindowActivated(QMdiSubWindow *w)
{
    auto *form = w ? qobject_cast<TWin95Form *>(w->widget()) : nullptr;
    if (form == m_merged)
        return;
    mergeTools(form);
    disconnect(m_hintConn);
    if (form) {
        m_hintConn = connect(form, &TWin95Form::statusHintChanged, this, [this](const QString &h) {
            statusBar()->showMessage(h);
        });
        statusBar()->showMessage(form->StatusHint().isEmpty() ? form->windowTitle() : form->StatusHint());
    } else {
        statusBar()->showMessage(QStringLiteral("Bereit."));
    }
}

QToolBar *MainWindow::formTools()
{
    // Made when a form first brings tools, not while the program starts.
    if (!m_formTools) {
        m_formTools = addToolBar(QStringLiteral("Formular"));
        m_formTools->setObjectName(QStringLiteral("FormTools"));
        m_formTools->setVisible(false);
    }
    return m_formTools;
}

void MainWindow::mergeTools(TWin95Form *form)
{
    if (m_formTools)
        m_formTools->clear();
    if (m_mergedSource)
        m_mergedSource->setVisible(true);
    m_mergedSource = nullptr;
    m_merged = form;
    QToolBar *source = nullptr;
    if (form)
        if (TFormModuleInfo *fmi = form->formInfo())
            if (!fmi->LinkedTools.isEmpty())
                source = form->findChild<QToolBar *>(fmi->LinkedTools);
    if (!source) {
        if (m_formTools)
            m_formTools->setVisible(false);
        return;
    }
    formTools()->addActions(source->actions());
    source->setVisible(false);
    m_mergedSource = source;
    m_formTools->setVisible(true);
}

void MainWindow::fillWindowMenu()
{
    m_window->clear();
    m_window->addAction(QStringLiteral("Ü&berlappend"), m_mdi, &QMdiArea::cascadeSubWindows);
    m_window->addAction(QStringLiteral("&Nebeneinander"), m_mdi, &QMdiArea::tileSubWindows);
    m_window->addAction(QStringLiteral("&Nächstes Fenster"), m_mdi, &QMdiArea::activateNextSubWindow);
    m_window->addAction(QStringLiteral("Alle &schließen"), m_mdi, &QMdiArea::closeAllSubWindows);
    const QList<QMdiSubWindow *> wins = m_mdi->subWindowList();
    if (!wins.isEmpty())
        m_window->addSeparator();
    int n = 0;
    for (QMdiSubWindow *sw : wins) {
        ++n;
        QAction *a = m_window->addAction(QStringLiteral("&%1 %2").arg(n).arg(sw->windowTitle()));
        a->setCheckable(true);
        a->setChecked(sw == m_mdi->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, sw]() { m_mdi->setActiveSubWindow(sw); });
    }
}

void MainWindow::openSettings()
{
    TSystemEinstellungForm dlg(Dm::DatenModul()->Database(), this);
    dlg.exec();
}

void MainWindow::reloadLookups()
{
    Modinfo::BroadcastGlobalChanged(2);
    statusBar()->showMessage(QStringLiteral("Nachschlagelisten neu geladen."), 4000);
}

void MainWindow::showProtocol()
{
    if (!m_protocol) {
        m_protocol = new ProtocolWindow;
        QMdiSubWindow *sw = m_mdi->addSubWindow(m_protocol);
        sw->setAttribute(Qt::WA_DeleteOnClose);
        sw->resize(760, 360);
    }
    for (QMdiSubWindow *sw : m_mdi->subWindowList())
        if (sw->widget() == m_protocol) {
            sw->show();
            m_mdi->setActiveSubWindow(sw);
        }
}

void MainWindow::closeEvent(QCloseEvent *e)
{
    m_mdi->closeAllSubWindows();
    if (!m_mdi->subWindowList().isEmpty()) {
        e->ignore();
        return;
    }
    Modinfo::DestroyAllForms();
    QMainWindow::closeEvent(e);
}
