#include "startup.h"

#include "login.h"
#include "mainwindow.h"

#include "host/recordware/datenmodul.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/systools.h"
#include "host/shellware/user.h"
#include "platform/db/database.h"
#include "platform/db/dberror.h"

#include <QStatusBar>
#include <exception>

namespace hostapp {

Startup::Startup(const host::AppOptions &opts, const QString &schemaFolder, const QString &presetUser,
                 QObject *parent)
    : QObject(parent), m_opts(opts), m_schemaFolder(schemaFolder), m_presetUser(presetUser),
      m_database(std::make_unique<db::Database>())
{
}

Startup::~Startup()
{
    if (m_worker.joinable())
        m_worker.join();
    if (m_ready && Dm::DatenModul()->Database() == m_database.get())
        Dm::DatenModul()->setDatabase(nullptr);
    if (m_database->isOpen()) {
        try {
            m_database->close();
        } catch (...) {
        }
    }
}

void Startup::setWindow(MainWindow *window)
{
    m_window = window;
    if (!m_window)
        return;
    m_window->setDatabaseFunctionsEnabled(m_ready);
    if (!m_ready)
        m_window->statusBar()->showMessage(QStringLiteral("Verbindung zur Datenbank wird hergestellt \u2026"));
    if (m_outcome)
        QMetaObject::invokeMethod(this, &Startup::opened, Qt::QueuedConnection);
}

void Startup::start()
{
    if (m_worker.joinable() || m_outcome || m_ready)
        return; // already connecting or connected
    // The database object is only touched by the worker until it reports back.
    m_worker = std::thread([this]() {
        bool ok = false;
        QString message, engineText;
        host::OpenResult r;
        try {
            r = host::openTenantDatabase(m_opts, *m_database, m_schemaFolder);
            ok = true;
        } catch (const db::DbError &e) {
            message = e.userMessage();
            engineText = e.engineText();
        } catch (const std::exception &e) {
            message = QStringLiteral("Die Datenbank kann nicht geöffnet werden.");
            engineText = QString::fromLocal8Bit(e.what());
        } catch (...) {
            // Nothing may escape the worker thread.
            message = QStringLiteral("Die Datenbank kann nicht geöffnet werden.");
        }
        QMetaObject::invokeMethod(
            this,
            [this, r, ok, message, engineText]() {
                m_open = r;
                m_outcome = Outcome{ok, message, engineText};
                opened();
            },
            Qt::QueuedConnection);
    });
}

void Startup::opened()
{
    if (!m_outcome || !m_window || m_ready)
        return; // no window yet: setWindow() comes back here
    if (m_worker.joinable())
        m_worker.join();
    const Outcome outcome = *m_outcome;
    m_outcome.reset();
    const QString &message = outcome.message, &engineText = outcome.engineText;
    if (!outcome.ok) {
        Systools::Protocol::instance().add(QStringLiteral("Fehler"), QStringLiteral("Start"),
                                           message + QLatin1Char(' ') + engineText);
        m_window->statusBar()->showMessage(QStringLiteral("Keine Verbindung zur Datenbank."));
        Dialogs::message(m_window, engineText.isEmpty() ? message : message + QStringLiteral("\n\n") + engineText,
                         Dialogs::Icon::Critical);
        emit failed(1);
        return;
    }
    Dm::DatenModul()->setDatabase(m_database.get());
    User::SetCurrentMandant(m_opts.tenant, m_opts.tenantPath());
    m_window->statusBar()->showMessage(QStringLiteral("Anmeldung \u2026"));

    LoginResult lr;
    try {
        lr = login(*m_database, m_presetUser, m_window);
    } catch (const db::DbError &e) {
        lr.error = e.userMessage();
    }
    if (!lr.ok) {
        Dm::DatenModul()->setDatabase(nullptr);
        if (!lr.error.isEmpty()) {
            Systools::Protocol::instance().add(QStringLiteral("Fehler"), QStringLiteral("Anmeldung"), lr.error);
            m_window->statusBar()->showMessage(QStringLiteral("Nicht angemeldet."));
            Dialogs::message(m_window, lr.error, Dialogs::Icon::Warning);
            emit failed(1);
        } else {
            emit failed(0);
        }
        return;
    }
    User::SetCurrentUser(lr.name, lr.type, lr.id);
    Systools::Dbg(QStringLiteral("Anmeldung %1 (Stufe %2), Mandant %3").arg(lr.name).arg(lr.type).arg(m_opts.tenant));

    m_window->setWindowTitle(QStringLiteral("Fehlerdoku \u2013 %1 \u2013 %2").arg(m_opts.tenant, lr.name));
    m_window->statusBar()->showMessage(m_open.created ? QStringLiteral("Neue Datenbank angelegt.")
                                                      : QStringLiteral("Bereit. Angemeldet als %1.").arg(lr.name));
    m_window->setDatabaseFunctionsEnabled(true);
    m_ready = true;
    emit ready();
}

} // namespace hostapp
