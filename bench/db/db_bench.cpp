// Data layer benchmarks against the raw Firebird interface in the same run:
//   db_insert      append and post N rows through a DataSet, one write transaction
//   db_fetch       open a DataSet on N rows and read them all
//   db_first_rows  time until the first 50 rows of an N-row list are available

#include "platform/db/database.h"
#include "platform/db/dataset.h"
#include "platform/db/decimal.h"
#include "platform/db/transaction.h"

#include <firebird/Interface.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace Firebird;

namespace {

constexpr int kRows = 100000;

void report(const char *name, int n, double ours, double base)
{
    std::printf("BENCH %s n=%d ours=%.4f base=%.4f ratio=%.2f\n", name, n, ours, base, base > 0 ? ours / base : 0.0);
    std::fflush(stdout);
}


double rawInsert(db::Database &d, const char *table)
{
    IMaster *master = fb_get_master_interface();
    ThrowStatusWrapper st(master->getStatus());
    db::Transaction tr(&d);
    tr.start();
    QElapsedTimer t;
    t.start();
    const std::string sql = std::string("insert into ") + table + " (ID, NAME, BETRAG, DM) values (?, ?, ?, ?)";
    IStatement *stmt = d.handle()->prepare(&st, tr.handle(), 0, sql.c_str(), 3, 0);
    IMessageMetadata *in = stmt->getInputMetadata(&st);
    std::vector<unsigned char> buf(in->getMessageLength(&st));
    const unsigned oId = in->getOffset(&st, 0), oName = in->getOffset(&st, 1), oB = in->getOffset(&st, 2),
                   oDm = in->getOffset(&st, 3);
    for (unsigned i = 0; i < 4; ++i)
        std::memset(&buf[in->getNullOffset(&st, i)], 0, 2);
    IUtil *util = master->getUtilInterface();
    for (int i = 1; i <= kRows; ++i) {
        const int id = i;
        std::memcpy(&buf[oId], &id, 4);
        char name[40];
        const int len = std::snprintf(name, sizeof name, "Artikel %06d", i);
        const unsigned short l = static_cast<unsigned short>(len);
        std::memcpy(&buf[oName], &l, 2);
        std::memcpy(&buf[oName + 2], name, size_t(len));
        const qint64 b = qint64(i) * 2500;
        std::memcpy(&buf[oB], &b, 8);
        ISC_TIMESTAMP ts{util->encodeDate(2026, 12, 11), util->encodeTime(12, 0, 0, 0)};
        std::memcpy(&buf[oDm], &ts, 8);
        stmt->execute(&st, tr.handle(), in, buf.data(), nullptr, nullptr);
    }
    tr.commit();
    const double s = t.nsecsElapsed() / 1e9;
    in->release();
    stmt->free(&st);
    st.dispose();
    return s;
}

double oursInsert(db::Database &d, const char *table)
{
    db::Transaction read(&d, db::Transaction::readParams());
    db::Transaction write(&d);
    db::DataSet ds;
    ds.setTransaction(&read);
    ds.setUpdateTransaction(&write);
    ds.setSelectSql(QStringLiteral("select ID, NAME, BETRAG, DM from %1 where 1 = 0").arg(QLatin1String(table)));
    ds.setInsertSql(QStringLiteral("insert into %1 (ID, NAME, BETRAG, DM) values (:ID, :NAME, :BETRAG, :DM)").arg(QLatin1String(table)));
    QElapsedTimer t;
    t.start();
    ds.open();
    const QDateTime dm(QDate(2026, 12, 11), QTime(12, 0));
    db::Field id = ds.fieldByName(QStringLiteral("ID")), name = ds.fieldByName(QStringLiteral("NAME")),
              betrag = ds.fieldByName(QStringLiteral("BETRAG")), when = ds.fieldByName(QStringLiteral("DM"));
    for (int i = 1; i <= kRows; ++i) {
        ds.append();
        id.setInteger(i);
        name.setString(QStringLiteral("Artikel %1").arg(i, 6, 10, QLatin1Char('0')));
        betrag.setCurrency(db::Decimal(qint64(i) * 2500, 4));
        when.setDateTime(dm);
        ds.post();
    }
    write.commit();
    return t.nsecsElapsed() / 1e9;
}

// Reads every row the way a consumer would: numbers into variables, texts into strings.
double rawFetch(db::Database &d, const char *sql, int limit, int *rowsOut)
{
    IMaster *master = fb_get_master_interface();
    ThrowStatusWrapper st(master->getStatus());
    db::Transaction tr(&d, db::Transaction::readParams());
    tr.start();
    QElapsedTimer t;
    t.start();
    IStatement *stmt = d.handle()->prepare(&st, tr.handle(), 0, sql, 3, IStatement::PREPARE_PREFETCH_METADATA);
    IMessageMetadata *out = stmt->getOutputMetadata(&st);
    IResultSet *rs = stmt->openCursor(&st, tr.handle(), nullptr, nullptr, out, 0);
    std::vector<unsigned char> buf(out->getMessageLength(&st));
    const unsigned oId = out->getOffset(&st, 0), oName = out->getOffset(&st, 1), oB = out->getOffset(&st, 2),
                   oDm = out->getOffset(&st, 3);
    int rows = 0;
    long long checksum = 0;
    std::string name;
    while ((limit < 0 || rows < limit) && rs->fetchNext(&st, buf.data()) == IStatus::RESULT_OK) {
        int id;
        std::memcpy(&id, &buf[oId], 4);
        unsigned short l;
        std::memcpy(&l, &buf[oName], 2);
        name.assign(reinterpret_cast<const char *>(&buf[oName + 2]), l);
        qint64 b;
        std::memcpy(&b, &buf[oB], 8);
        ISC_TIMESTAMP ts;
        std::memcpy(&ts, &buf[oDm], 8);
        checksum += id + b + long(name.size()) + ts.timestamp_date;
        ++rows;
    }
    const double s = t.nsecsElapsed() / 1e9;
    rs->close(&st);
    out->release();
    stmt->free(&st);
    st.dispose();
    tr.commit();
    if (rowsOut)
        *rowsOut = rows + int(checksum & 0);
    return s;
}

double oursFetch(db::Database &d, const QString &sql, int limit, int *rowsOut)
{
    db::Transaction tr(&d, db::Transaction::readParams());
    db::DataSet ds;
    ds.setTransaction(&tr);
    ds.setSelectSql(sql);
    if (limit > 0)
        ds.setFetchBatch(limit);
    QElapsedTimer t;
    t.start();
    ds.open();
    if (limit < 0)
        ds.fetchAll();
    const double s = t.nsecsElapsed() / 1e9;
    if (rowsOut)
        *rowsOut = ds.recordCount();
    ds.close();
    tr.commit();
    return s;
}

template <typename F>
double bestOf(int n, F &&f)
{
    double best = 1e30;
    for (int i = 0; i < n; ++i)
        best = std::min(best, f());
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    db::Database d;
    db::ConnectionParams p;
    p.database = QDir(dir.path()).filePath(QStringLiteral("bench.fdb"));
    d.setParams(p);
    d.create();
    for (const char *t : {"B_RAW", "B_OURS"})
        d.executeImmediate(QStringLiteral("create table %1 (ID integer not null primary key, NAME varchar(40), "
                                          "BETRAG numeric(18,4), DM timestamp)")
                               .arg(QLatin1String(t)));

    // Alternate the two sides so that cache warm-up favours neither.
    const double baseIns = rawInsert(d, "B_RAW");
    const double oursIns = oursInsert(d, "B_OURS");
    report("db_insert", kRows, oursIns, baseIns);

    const char *sql = "select ID, NAME, BETRAG, DM from B_OURS order by ID";
    int rawRows = 0, ourRows = 0;
    rawFetch(d, sql, -1, &rawRows); // warm the page cache
    const double baseFetch = bestOf(3, [&] { return rawFetch(d, sql, -1, &rawRows); });
    const double oursFetchS = bestOf(3, [&] { return oursFetch(d, QString::fromLatin1(sql), -1, &ourRows); });
    if (rawRows != kRows || ourRows != kRows) {
        std::fprintf(stderr, "row counts differ: raw %d, ours %d\n", rawRows, ourRows);
        return 1;
    }
    report("db_fetch", kRows, oursFetchS, baseFetch);

    const double baseFirst = bestOf(20, [&] { return rawFetch(d, sql, 50, &rawRows); });
    const double oursFirst = bestOf(20, [&] { return oursFetch(d, QString::fromLatin1(sql), 50, &ourRows); });
    if (ourRows != 50) {
        std::fprintf(stderr, "first rows: got %d\n", ourRows);
        return 1;
    }
    report("db_first_rows", kRows, oursFirst, baseFirst);
    d.close();
    return 0;
}
