// Starts the program with 30 module libraries until its main window is shown and idle
// (--quit-when-idle reports that moment as "IDLE"), and a bare Qt program likewise; prints the
// median of each. A second line, host_ready, gives the time until the program is also connected to
// its database, logged in and idle again ("READY"), against the same baseline.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

namespace {
long long monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

struct Times
{
    double idle = 0;
    double ready = 0;
};

double stampAfter(const QByteArray &out, const char *what, long long start)
{
    const int at = out.indexOf(what);
    if (at < 0)
        return -1;
    const long long ns = out.mid(at + int(std::strlen(what)) + 1).split('\n').first().trimmed().toLongLong();
    return (ns - start) / 1e9;
}

// Seconds from starting the process until it reported "IDLE <ns>" (its main window shown and no
// events pending) and "READY <ns>" (connected and logged in, idle again; the bare program reports
// no such moment: its idle time counts); the process's own shutdown is not counted.
Times runOnce(const QString &program, const QStringList &args)
{
    QProcess p;
    const long long start = monotonicNs();
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), p.readAllStandardError().constData());
        std::exit(1);
    }
    const QByteArray out = p.readAllStandardOutput();
    Times t;
    t.idle = stampAfter(out, "IDLE", start);
    if (t.idle < 0)
        t.idle = (monotonicNs() - start) / 1e9;
    t.ready = stampAfter(out, "READY", start);
    if (t.ready < 0)
        t.ready = t.idle;
    return t;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int modules = 30;
    const int rounds = 7;
    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral("Module"));
    for (int i = 0; i < modules; ++i)
        QFile::copy(QStringLiteral(FD_BENCH_MODULE),
                    QDir(home.path()).filePath(QStringLiteral("Module/modul%1.mdl").arg(i, 2, 10, QLatin1Char('0'))));
    // The database exists before the timed runs (first start creates it once).
    runOnce(QStringLiteral(FD_PROGRAM), {QStringLiteral("--home"), home.path(), QStringLiteral("--init-db")});
    const QStringList ourArgs{QStringLiteral("--home"), home.path(), QStringLiteral("--benutzer"), QStringLiteral("benutzer"),
                              QStringLiteral("--quit-when-idle")};
    runOnce(QStringLiteral(FD_PROGRAM), ourArgs); // warm-up
    runOnce(QStringLiteral(FD_BARE_QT), {});
    std::vector<double> ours, ready, base;
    for (int i = 0; i < rounds; ++i) {
        const Times t = runOnce(QStringLiteral(FD_PROGRAM), ourArgs);
        ours.push_back(t.idle);
        ready.push_back(t.ready);
        base.push_back(runOnce(QStringLiteral(FD_BARE_QT), {}).idle);
    }
    const double o = median(ours), r = median(ready), b = median(base);
    std::printf("BENCH host_start n=%d ours=%.4f base=%.4f ratio=%.2f\n", modules, o, b, o / b);
    std::printf("BENCH host_ready n=%d ours=%.4f base=%.4f ratio=%.2f\n", modules, r, b, r / b);
    return 0;
}
