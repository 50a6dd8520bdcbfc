// The Fehlerdoku program: command line for administrators and scripts, then the main window.

#include "host/app/listmodules.h"
#include "host/app/login.h"
#include "host/app/startup.h"
#include "host/app/mainwindow.h"
#include "host/app/systemeinstellung.h"
#include "host/core/appoptions.h"
#include "host/recordware/datenmodul.h"
#include "host/shellware/cfg.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/iconstyle.h"
#include "host/shellware/modinfo.h"
#include "host/shellware/systools.h"
#include "host/shellware/user.h"
#include "host/core/tenantdb.h"
#include "platform/db/database.h"
#include "platform/db/dberror.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QFontDatabase>
#include <QFontMetrics>
#include <thread>
#include <QTranslator>
#include <QLibraryInfo>
#include <QLocale>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <QTextStream>
#include <cstdio>
#include <ctime>

namespace {

QString executableDir(int argc, char **argv)
{
    // Before a QCoreApplication exists: resolve /proc/self/exe.
    QFileInfo fi(QStringLiteral("/proc/self/exe"));
    if (fi.exists())
        return QFileInfo(fi.symLinkTarget()).absolutePath();
    return argc > 0 ? QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath() : QString();
}

void printLine(FILE *f, const QString &s)
{
    const QByteArray b = s.toUtf8();
    std::fprintf(f, "%s\n", b.constData());
    std::fflush(f);
}

// Options of the program window that the shared option parser does not know.
struct ExtraOptions
{
    QString user;           // --benutzer NAME: log in as this program user
    bool quitWhenIdle = false;  // --quit-when-idle: end as soon as the main window is shown (benchmarks)
    QString screenshotDir;  // --screenshots DIR: save pictures of the main window and the settings dialog
    bool tenantGiven = false;
    QString error;
};

ExtraOptions takeExtraOptions(QStringList &args)
{
    ExtraOptions x;
    QStringList rest;
    for (int i = 0; i < args.size(); ++i) {
        const QString a = args.at(i);
        auto value = [&](const QString &opt, QString &target) {
            if (a.startsWith(opt + QLatin1Char('='))) {
                target = a.mid(opt.size() + 1);
                return true;
            }
            if (a != opt)
                return false;
            if (i + 1 >= args.size())
                x.error = QStringLiteral("Der Option %1 fehlt ein Wert.").arg(opt);
            else
                target = args.at(++i);
            return true;
        };
        if (value(QStringLiteral("--benutzer"), x.user) || value(QStringLiteral("--screenshots"), x.screenshotDir))
            continue;
        if (a == QLatin1String("--quit-when-idle")) {
            x.quitWhenIdle = true;
            continue;
        }
        if (a == QLatin1String("--tenant") || a.startsWith(QLatin1String("--tenant=")))
            x.tenantGiven = true;
        rest << a;
    }
    args = rest;
    return x;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const ExtraOptions extra = takeExtraOptions(args);
    const QString exeDir = executableDir(argc, argv);
    host::AppOptions opts = host::AppOptions::parse(args, exeDir);
    if (!opts.error.isEmpty() || !extra.error.isEmpty()) {
        printLine(stderr, extra.error.isEmpty() ? opts.error : extra.error);
        printLine(stderr, host::AppOptions::usage() + QStringLiteral("  --benutzer NAME      Programmbenutzer (ohne Auswahl bei der Anmeldung)\n"));
        return 2;
    }
    if (opts.version) {
        printLine(stdout, QStringLiteral("Fehlerdoku %1").arg(QStringLiteral(FD_VERSION)));
        return 0;
    }
    if (opts.initDb) {
        QCoreApplication app(argc, argv);
        db::Database database;
        try {
            const host::OpenResult r = host::openTenantDatabase(opts, database, host::schemaDir(exeDir));
            QString what = r.created ? QStringLiteral("angelegt")
                                     : (r.fromVersion < r.version ? QStringLiteral("aktualisiert von Version %1").arg(r.fromVersion)
                                                                  : QStringLiteral("bereits aktuell"));
            printLine(stdout, QStringLiteral("Datenbank %1: Schemaversion %2 (%3)")
                                  .arg(opts.databasePath())
                                  .arg(r.version)
                                  .arg(what));
            database.close();
            return 0;
        } catch (const db::DbError &e) {
            printLine(stderr, e.userMessage());
            if (!e.engineText().isEmpty())
                printLine(stderr, e.engineText());
            return 1;
        }
    }

    if (opts.listModules) {
        // No window is shown; a module that builds icons still needs a GUI application.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        Cfg::SetInstallDir(opts.home);
        const Modinfo::LoadResult lr = Modinfo::LoadModules(QDir(opts.home).filePath(QStringLiteral("Module")), true);
        for (const QString &line : hostapp::moduleListing())
            printLine(stdout, line);
        for (const QString &f : lr.failed)
            printLine(stderr, QStringLiteral("Modul nicht geladen: ") + f);
        return lr.failed.isEmpty() ? 0 : 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Fehlerdoku"));
    QApplication::setOrganizationName(QStringLiteral("fehlerdoku"));
    Shell::EnsureIconCache();
    // The font database (fontconfig) is read on a second thread while the modules load; the window
    // needs it for its first text. Joined before the application goes.
    struct Joined
    {
        std::thread thread;
        ~Joined()
        {
            if (thread.joinable())
                thread.join();
        }
    } fontWarmUp{std::thread([] {
        QFontDatabase::families();
        QFontMetrics(QGuiApplication::font()).height();
    })};
    // Qt's own texts (dialog buttons, context menus, file dialogs) in German.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    Cfg::SetInstallDir(opts.home);
    Systools::Protocol::instance().setDirectory(QDir(opts.home).filePath(QStringLiteral("Protokoll")));

    // Tenant: the one given, else a choice when there are several.
    if (!extra.tenantGiven) {
        const QStringList tenants = hostapp::tenantsIn(opts.home);
        if (tenants.size() > 1) {
            const auto t = Dialogs::choose(nullptr, QStringLiteral("Mandant:"), tenants,
                                           tenants.contains(opts.tenant) ? opts.tenant : tenants.first(),
                                           QStringLiteral("Mandant wählen"));
            if (!t)
                return 0;
            opts.tenant = *t;
        } else if (tenants.size() == 1) {
            opts.tenant = tenants.first();
        }
    }

    // The modules register their forms and the window is built and shown; then the database is
    // opened in the background and the user logs in as soon as it is there.
    hostapp::Startup startup(opts, host::schemaDir(exeDir), extra.user);
    QObject::connect(&startup, &hostapp::Startup::failed, &app, [](int code) { QApplication::exit(code); });
    Modinfo::LoadModules(QDir(opts.home).filePath(QStringLiteral("Module")), false);
    int rc = 0;
    {
        MainWindow w;
        w.setWindowTitle(QStringLiteral("Fehlerdoku \u2013 %1").arg(opts.tenant));
        startup.setWindow(&w);
        w.show();
        // Connecting starts once the window is on the screen, so the two do not compete.
        QTimer::singleShot(0, &startup, &hostapp::Startup::start);
        auto stamp = [](const char *what) {
            timespec ts{};
            clock_gettime(CLOCK_MONOTONIC, &ts);
            std::printf("%s %lld\n", what, (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec);
            std::fflush(stdout);
        };
        if (extra.quitWhenIdle) {
            // Benchmarks: the zero timer runs once the window is shown and all pending events are
            // done ("IDLE"); the program ends when it is also connected, logged in and idle again
            // ("READY"). Each line tells the caller when that was (monotonic clock, nanoseconds).
            QTimer::singleShot(0, &app, [stamp]() { stamp("IDLE"); });
            QObject::connect(&startup, &hostapp::Startup::ready, &app, [stamp]() {
                QTimer::singleShot(0, qApp, [stamp]() {
                    stamp("READY");
                    QApplication::quit();
                });
            });
        }
        if (!extra.screenshotDir.isEmpty()) {
            QObject::connect(&startup, &hostapp::Startup::ready, &w, [&w, &extra]() {
                QTimer::singleShot(300, &w, [&w, &extra]() {
                    QDir().mkpath(extra.screenshotDir);
                    w.grab().save(QDir(extra.screenshotDir).filePath(QStringLiteral("hauptfenster.png")));
                    w.menuBar()->actions().at(1)->menu()->popup(w.mapToGlobal(QPoint(60, 24)));
                    QTimer::singleShot(300, &w, [&w, &extra]() {
                        QScreen *scr = w.screen();
                        if (scr)
                            scr->grabWindow(0).save(QDir(extra.screenshotDir).filePath(QStringLiteral("menue.png")));
                        if (QWidget *pop = QApplication::activePopupWidget())
                            pop->close();
                        TSystemEinstellungForm dlg(Dm::DatenModul()->Database(), &w);
                        dlg.show();
                        QApplication::processEvents();
                        dlg.grab().save(QDir(extra.screenshotDir).filePath(QStringLiteral("systemeinstellungen.png")));
                        dlg.done(0);
                        // A module window inside the main window, when a module is installed.
                        const QList<QAction *> entries = w.moduleMenu()->actions();
                        for (QAction *a : entries)
                            if (const Modinfo::ClassEntry *e = Modinfo::FindClass(a->objectName());
                                e && !(e->manifest->Flags & ffModal)) {
                                a->trigger();
                                break;
                            }
                        QTimer::singleShot(300, &w, [&w, &extra]() {
                            w.grab().save(QDir(extra.screenshotDir).filePath(QStringLiteral("formular.png")));
                            QApplication::quit();
                        });
                    });
                });
            });
        }
        rc = app.exec();
        Modinfo::DestroyAllForms();
    }
    Cfg::Sync();
    return rc;
}
