#pragma once
// The main window: the module menu built from the form manifests, the report menu from the report
// manifests, MDI windows, the "Fenster" menu, the merged tool bar of the active form and its hint
// in the status line.

#include "host/shellware/modinfo.h"

#include <QMainWindow>
#include <QPointer>

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class ProtocolWindow;

class MainWindow : public QMainWindow, public Modinfo::Host
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Modinfo::Host
    void showForm(TWin95Form *form, const Modinfo::ClassEntry &entry) override;
    void activateForm(TWin95Form *form) override;
    QWidget *activeForm() const override;

    // Rebuilds the module and report menus from the registry.
    void buildMenus();
    QMdiArea *mdiArea() const { return m_mdi; }
    QMenu *moduleMenu() const { return m_modules; }
    QMenu *reportMenu() const { return m_reports; }
    QMenu *windowMenu() const { return m_window; }
    // The tool bar that shows the active form's tools (made on first use).
    QToolBar *formTools();
    // The action of a menu entry by its text path ("Module/Testfirmen").
    QAction *findAction(const QString &path) const;

    // Everything that needs the database (settings, modules, reports, reloading the lookups); off
    // while the program is still connecting.
    void setDatabaseFunctionsEnabled(bool on);

    void openSettings();
    void reloadLookups();
    void showProtocol();

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    void subWindowActivated(QMdiSubWindow *w);
    void fillWindowMenu();
    void mergeTools(TWin95Form *form);
    void addReport(const Modinfo::ClassEntry &e);

    QMdiArea *m_mdi;
    QMenu *m_modules = nullptr;
    QMenu *m_reports = nullptr;
    QMenu *m_window = nullptr;
    QToolBar *m_formTools = nullptr;
    QAction *m_settings = nullptr;
    QAction *m_reload = nullptr;
    bool m_dbFunctions = true;
    QPointer<TWin95Form> m_merged;
    QPointer<QToolBar> m_mergedSource;
    QPointer<ProtocolWindow> m_protocol;
    QMetaObject::Connection m_hintConn;
};
