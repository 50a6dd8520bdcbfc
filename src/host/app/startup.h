#pragma once
// Start of a session behind a shown main window.
//
// Attaching the embedded engine costs far more than building the window, so the window comes up
// first, with everything that needs the database switched off, while the tenant's database is
// opened (created or brought up to date) on a worker thread. Back on the GUI thread the program
// user logs in; then the data module gets the connection, the window its title and menus, and
// ready() is emitted. A failure is shown and recorded in the protocol, then failed() is emitted.

#include "host/core/appoptions.h"
#include "host/core/tenantdb.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <thread>

namespace db { class Database; }
class MainWindow;

namespace hostapp {

class Startup : public QObject
{
    Q_OBJECT
public:
    // `presetUser` as for login().
    Startup(const host::AppOptions &opts, const QString &schemaFolder, const QString &presetUser,
            QObject *parent = nullptr);
    // Waits for a connection still being made and closes the database.
    ~Startup() override;

    // Starts opening the database (once; a second call does nothing).
    void start();
    // The window the session runs in: its database functions are off until ready(). Login and
    // messages wait for it; it must outlive the session or be handed over before it goes.
    void setWindow(MainWindow *window);
    db::Database &database() { return *m_database; }
    bool isReady() const { return m_ready; }
    const host::OpenResult &openResult() const { return m_open; }

signals:
    // Connected and logged in; menus are on.
    void ready();
    // The session cannot start: 1 after an error (already shown), 0 when the user cancelled the login.
    void failed(int exitCode);

private:
    void opened();

    struct Outcome
    {
        bool ok = false;
        QString message;
        QString engineText;
    };

    host::AppOptions m_opts;
    QString m_schemaFolder;
    QString m_presetUser;
    MainWindow *m_window = nullptr;
    std::optional<Outcome> m_outcome; // the worker's result, kept until there is a window
    std::unique_ptr<db::Database> m_database;
    std::thread m_worker;
    host::OpenResult m_open;
    bool m_ready = false;
};

} // namespace hostapp
