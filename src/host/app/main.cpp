// The Fehlerdoku program: command line for administrators and scripts, then the main window.

#include "host/core/appoptions.h"
#include "host/core/tenantdb.h"
#include "platform/db/database.h"
#include "platform/db/dberror.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <QTextStream>
#include <cstdio>

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

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const QString exeDir = executableDir(argc, argv);
    host::AppOptions opts = host::AppOptions::parse(args, exeDir);
    if (!opts.error.isEmpty()) {
        printLine(stderr, opts.error);
        printLine(stderr, host::AppOptions::usage());
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

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Fehlerdoku"));
    db::Database database;
    host::OpenResult r;
    try {
        r = host::openTenantDatabase(opts, database, host::schemaDir(exeDir));
    } catch (const db::DbError &e) {
        QMessageBox::critical(nullptr, QStringLiteral("Fehlerdoku"), e.userMessage() + QStringLiteral("\n\n") + e.engineText());
        return 1;
    }
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("Fehlerdoku \u2013 Mandant %1").arg(opts.tenant));
    auto *label = new QLabel(QStringLiteral("<h2>Fehlerdoku</h2><p>Mandant: %1<br>Datenbank: %2<br>Schemaversion: %3</p>")
                                 .arg(opts.tenant.toHtmlEscaped(), opts.databasePath().toHtmlEscaped())
                                 .arg(r.version));
    label->setMargin(24);
    label->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    w.setCentralWidget(label);
    w.statusBar()->showMessage(r.created ? QStringLiteral("Neue Datenbank angelegt.") : QStringLiteral("Bereit."));
    w.resize(900, 600);
    w.show();
    return app.exec();
}
