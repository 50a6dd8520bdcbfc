// numbers_draw: N numbers drawn through TDMZaehlringe::GetNumber, each allocation committed on its
// own, against N raw generator round trips ("select gen_id(G, 1) from rdb$database"), each in its
// own committed transaction, on the same fresh database in the same run.

#include "host/recordware/datenmodul.h"
#include "host/shellware/systools.h"
#include "kit/numbers/uzaehlringe.h"
#include "platform/db/database.h"
#include "platform/db/schema.h"
#include "platform/db/transaction.h"

#include <firebird/Interface.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace Firebird;

namespace {

constexpr int kDraws = 10000;

// The physical limit: prepared once, one transaction per value, nothing else.
double rawDraws(db::Database &d, int n)
{
    IMaster *master = fb_get_master_interface();
    ThrowStatusWrapper st(master->getStatus());
    IStatement *stmt = nullptr;
    {
        db::Transaction tr(&d);
        tr.start();
        stmt = d.handle()->prepare(&st, tr.handle(), 0, "select gen_id(GEN_BENCH_RAW, 1) from rdb$database", 3,
                                   IStatement::PREPARE_PREFETCH_METADATA);
        tr.commit();
    }
    IMessageMetadata *out = stmt->getOutputMetadata(&st);
    std::vector<unsigned char> buf(out->getMessageLength(&st));
    qint64 last = 0;
    // One untimed draw: warms the prepared statement and gives the starting value.
    const qint64 before = [&] {
        db::Transaction tr(&d);
        tr.start();
        qint64 v = 0;
        IResultSet *rs = stmt->openCursor(&st, tr.handle(), nullptr, nullptr, out, 0);
        if (rs->fetchNext(&st, buf.data()) == IStatus::RESULT_OK)
            std::memcpy(&v, &buf[out->getOffset(&st, 0)], 8);
        rs->close(&st);
        tr.commit();
        return v;
    }();
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < n; ++i) {
        ITransaction *tra = d.handle()->startTransaction(&st, 0, nullptr);
        IResultSet *rs = stmt->openCursor(&st, tra, nullptr, nullptr, out, 0);
        if (rs->fetchNext(&st, buf.data()) == IStatus::RESULT_OK)
            std::memcpy(&last, &buf[out->getOffset(&st, 0)], 8);
        rs->close(&st);
        tra->commit(&st);
    }
    const double s = t.nsecsElapsed() / 1e9;
    out->release();
    stmt->free(&st);
    st.dispose();
    if (last != before + n)
        std::fprintf(stderr, "raw: last value %lld, expected %lld\n", static_cast<long long>(last),
                     static_cast<long long>(before + n));
    return s;
}

double ourDraws(int n)
{
    TDMZaehlringe *dm = TDMZaehlringe::instance();
    const QDateTime today = QDateTime::currentDateTime();
    QString prev;
    int failures = 0;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < n; ++i) {
        const QString nr = dm->GetNumber(QStringLiteral("firmen"), true, today, 3);
        if (nr.isEmpty() || nr == prev)
            ++failures;
        prev = nr;
    }
    const double s = t.nsecsElapsed() / 1e9;
    if (failures)
        std::fprintf(stderr, "GetNumber: %d empty or repeated numbers\n", failures);
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    Systools::Protocol::instance().setDirectory(dir.path());
    db::Database d;
    db::ConnectionParams p;
    p.database = QDir(dir.path()).filePath(QStringLiteral("numbers.fdb"));
    d.setParams(p);
    d.create();
    db::Schema::upgrade(d, QStringLiteral(FD_BENCH_SCHEMA_DIR));
    d.executeImmediate(QStringLiteral("create sequence GEN_BENCH_RAW"));
    Dm::DatenModul()->setDatabase(&d);

    // Warm both paths (statement caches, page cache) before timing.
    TDMZaehlringe::instance()->GetNumber(QStringLiteral("firmen"), true, QDateTime::currentDateTime(), 3);
    // Alternating rounds, so that load on the machine hits both sides alike.
    constexpr int kRounds = 10;
    double ours = 0, base = 0;
    for (int r = 0; r < kRounds; ++r) {
        ours += ourDraws(kDraws / kRounds);
        base += rawDraws(d, kDraws / kRounds);
    }
    std::printf("BENCH numbers_draw n=%d ours=%.4f base=%.4f ratio=%.2f\n", kDraws, ours, base,
                base > 0 ? ours / base : 0.0);
    std::fflush(stdout);
    TDMZaehlringe::release();
    Dm::DatenModul()->setDatabase(nullptr);
    return 0;
}
