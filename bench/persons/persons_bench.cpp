// Person register benchmarks on 100 000 persons, each against its raw baseline in the same run:
//   persons_open    open TPersonForm until its first page is shown / the raw first 50 list rows
//   persons_filter  switch the type filter (both datasets reopened, relocated) / the raw queries
//   persons_csv     export every person to CSV / the raw cursor writing the same rows to a file

#include "host/recordware/datenmodul.h"
#include "host/shellware/cfg.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/modinfo.h"
#include "host/shellware/systools.h"
#include "host/shellware/user.h"
#include "host/shellware/win95form.h"
#include "kit/numbers/uzaehlringe.h"
#include "personexport.h"
#include "platform/db/database.h"
#include "platform/db/schema.h"
#include "platform/db/transaction.h"

#include <firebird/Interface.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace Firebird;

namespace {

constexpr int kPersons = 100000;

void report(const char *name, int n, double ours, double base)
{
    std::printf("BENCH %s n=%d ours=%.4f base=%.4f ratio=%.2f\n", name, n, ours, base, base > 0 ? ours / base : 0.0);
    std::fflush(stdout);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void fillPersons(db::Database &d)
{
    // Names spread over the alphabet, a few with umlauts, ";" and quotes; types 1 to 3.
    d.executeImmediate(QStringLiteral(
        "execute block as declare i integer = 0; declare n varchar(40); begin "
        "while (i < %1) do begin "
        "  n = 'Name' || lpad(mod(i * 7919, %1), 6, '0'); "
        "  if (mod(i, 97) = 0) then n = n || ' M' || ascii_char(252) || 'ller; \"X\"'; "
        "  insert into PERSON (NACHNAME, VORNAME, ANREDE, TYP, PLZ, ORT, STRASSE, IDENTNR, GEBOREN_AM, LAND, "
        "    TELEFON1, EMAIL, NATIONALITAET, GESCHLECHT, DC, DM) values (:n, 'Vorname ' || mod(:i, 1000), "
        "    iif(mod(:i, 2) = 0, 'Herr', 'Frau'), mod(:i, 3) + 1, lpad(mod(:i, 99999), 5, '0'), 'Ort ' || mod(:i, 500), "
        "    'Stra' || ascii_char(223) || 'e ' || mod(:i, 200), lpad(:i, 6, '0'), dateadd(-mod(:i, 20000) day to date '2000-01-01'), "
        "    'D', '030-' || :i, 'p' || :i || '@example.de', 'deutsch', mod(:i, 2), current_timestamp, current_timestamp); "
        "  i = i + 1; "
        "end end").arg(kPersons));
    d.executeImmediate(QStringLiteral("update PERSON set BEMERKUNGEN = 'Zeile 1' || ascii_char(13) || ascii_char(10) || 'Zeile 2' "
                                      "where mod(ID, 50) = 0"));
    d.executeImmediate(QStringLiteral("insert into FIRMEN (KURZBEZEICHNUNG, BEZEICHNUNG, TYP) values ('Filiale Nord', 'Filiale Nord', 2)"));
}

// Opens `sql` with the raw interface and reads up to `limit` rows (all when negative) without
// decoding them; returns the seconds from prepare to the last row.
double rawRows(db::Database &d, const std::string &sql, int limit)
{
    IMaster *master = fb_get_master_interface();
    ThrowStatusWrapper st(master->getStatus());
    db::Transaction tr(&d, db::Transaction::readParams());
    tr.start();
    QElapsedTimer t;
    t.start();
    IStatement *stmt = d.handle()->prepare(&st, tr.handle(), 0, sql.c_str(), 3, IStatement::PREPARE_PREFETCH_METADATA);
    IMessageMetadata *out = stmt->getOutputMetadata(&st);
    IResultSet *rs = stmt->openCursor(&st, tr.handle(), nullptr, nullptr, out, 0);
    std::vector<unsigned char> buf(out->getMessageLength(&st));
    int rows = 0;
    while ((limit < 0 || rows < limit) && rs->fetchNext(&st, buf.data()) == IStatus::RESULT_OK)
        ++rows;
    const double s = t.nsecsElapsed() / 1e9;
    rs->close(&st);
    out->release();
    stmt->free(&st);
    st.dispose();
    tr.commit();
    return s;
}

// The raw cursor writing the export rows as quoted text, separated by ";".
double rawExport(db::Database &d, const std::string &sql, const QString &path)
{
    IMaster *master = fb_get_master_interface();
    IUtil *util = master->getUtilInterface();
    ThrowStatusWrapper st(master->getStatus());
    db::Transaction tr(&d, db::Transaction::readParams());
    tr.start();
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    QElapsedTimer t;
    t.start();
    IStatement *stmt = d.handle()->prepare(&st, tr.handle(), 0, sql.c_str(), 3, IStatement::PREPARE_PREFETCH_METADATA);
    IMessageMetadata *out = stmt->getOutputMetadata(&st);
    const unsigned n = out->getCount(&st);
    std::vector<unsigned> type(n), off(n), noff(n);
    for (unsigned i = 0; i < n; ++i) {
        type[i] = out->getType(&st, i) & ~1u;
        off[i] = out->getOffset(&st, i);
        noff[i] = out->getNullOffset(&st, i);
    }
    IResultSet *rs = stmt->openCursor(&st, tr.handle(), nullptr, nullptr, out, 0);
    std::vector<unsigned char> buf(out->getMessageLength(&st));
    std::string line;
    std::string file;
    char tmp[64];
    while (rs->fetchNext(&st, buf.data()) == IStatus::RESULT_OK) {
        line.clear();
        for (unsigned i = 0; i < n; ++i) {
            if (i)
                line += ';';
            line += '"';
            short isNull;
            std::memcpy(&isNull, &buf[noff[i]], 2);
            if (!isNull) {
                const unsigned char *p = &buf[off[i]];
                switch (type[i]) {
                case SQL_VARYING: {
                    unsigned short l;
                    std::memcpy(&l, p, 2);
                    line.append(reinterpret_cast<const char *>(p + 2), l);
                    break;
                }
                case SQL_SHORT: { short v; std::memcpy(&v, p, 2); line += std::to_string(v); break; }
                case SQL_LONG: { int v; std::memcpy(&v, p, 4); line += std::to_string(v); break; }
                case SQL_INT64: { long long v; std::memcpy(&v, p, 8); line += std::to_string(v); break; }
                case SQL_TYPE_DATE: {
                    ISC_DATE v;
                    std::memcpy(&v, p, 4);
                    unsigned y, m, dd;
                    util->decodeDate(v, &y, &m, &dd);
                    std::snprintf(tmp, sizeof tmp, "%02u.%02u.%04u", dd, m, y);
                    line += tmp;
                    break;
                }
                case SQL_TIMESTAMP: {
                    ISC_TIMESTAMP v;
                    std::memcpy(&v, p, 8);
                    unsigned y, m, dd, h, mi, s, fr;
                    util->decodeDate(v.timestamp_date, &y, &m, &dd);
                    util->decodeTime(v.timestamp_time, &h, &mi, &s, &fr);
                    std::snprintf(tmp, sizeof tmp, "%02u.%02u.%04u %02u:%02u:%02u", dd, m, y, h, mi, s);
                    line += tmp;
                    break;
                }
                case SQL_BLOB: {
                    ISC_QUAD id;
                    std::memcpy(&id, p, 8);
                    IBlob *blob = d.handle()->openBlob(&st, tr.handle(), &id, 0, nullptr);
                    char seg[4096];
                    unsigned got = 0;
                    for (;;) {
                        const int r = blob->getSegment(&st, sizeof seg, seg, &got);
                        if (r != IStatus::RESULT_OK && r != IStatus::RESULT_SEGMENT)
                            break;
                        line.append(seg, got);
                    }
                    blob->close(&st);
                    break;
                }
                default:
                    break;
                }
            }
            line += '"';
        }
        line += "\r\n";
        file += line;
        if (file.size() > (1u << 20)) {
            f.write(file.data(), qint64(file.size()));
            file.clear();
        }
    }
    f.write(file.data(), qint64(file.size()));
    f.close();
    const double s = t.nsecsElapsed() / 1e9;
    rs->close(&st);
    out->release();
    stmt->free(&st);
    st.dispose();
    tr.commit();
    return s;
}

const char *kListSql = "select NACHNAME, VORNAME, PLZ, ORT, STRASSE, IDENTNR, GEBOREN_AM, ID, TYP from PERSON "
                       "where DD is NULL %s order by Nachname, Vorname";

std::string listSql(int typ)
{
    char where[64] = "";
    if (typ)
        std::snprintf(where, sizeof where, " and (Typ = %d)", typ);
    char sql[512];
    std::snprintf(sql, sizeof sql, kListSql, where);
    return sql;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    Dialogs::setScripted(true, [](const QString &what) { std::fprintf(stderr, "unexpected dialog: %s\n", qPrintable(what)); });
    Cfg::SetConfigDir(QDir(home.path()).filePath(QStringLiteral("config")));
    Cfg::SetInstallDir(home.path());
    Systools::Protocol::instance().setDirectory(QDir(home.path()).filePath(QStringLiteral("Protokoll")));
    User::SetCurrentUser(QStringLiteral("chefin"), 128, 3);

    db::Database d;
    db::ConnectionParams p;
    p.database = QDir(home.path()).filePath(QStringLiteral("bench.fdb"));
    d.setParams(p);
    d.create();
    db::Schema::upgrade(d, QStringLiteral(FD_SCHEMA_DIR));
    fillPersons(d);
    Dm::DatenModul()->setDatabase(&d);

    const QString modDir = QDir(home.path()).filePath(QStringLiteral("Module"));
    QDir().mkpath(modDir);
    QFile::link(QStringLiteral(FD_PERSONEN_MDL), QDir(modDir).filePath(QStringLiteral("Personen.mdl")));
    const Modinfo::LoadResult lr = Modinfo::LoadModules(modDir, true);
    if (!lr.failed.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(lr.failed.join(QLatin1Char('\n'))));
        return 1;
    }
    // Warm the engine's caches once for both sides.
    rawRows(d, listSql(0), -1);

    // ---- persons_open ----
    std::vector<double> ours, base;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        TWin95Form *f = Modinfo::CreateAndRunForm(QStringLiteral("TPersonForm"), {}, -1);
        const double created = t.nsecsElapsed() / 1e9;
        app.processEvents();
        ours.push_back(t.nsecsElapsed() / 1e9);
        if (qEnvironmentVariableIsSet("FD_BENCH_DETAIL"))
            std::fprintf(stderr, "open: created %.4f shown %.4f\n", created, ours.back());
        Modinfo::DestroyForm(f);
        app.processEvents();
        base.push_back(rawRows(d, listSql(0), 50));
    }
    report("persons_open", kPersons, median(ours), median(base));

    // ---- persons_filter ----
    ours.clear();
    base.clear();
    TWin95Form *f = Modinfo::CreateAndRunForm(QStringLiteral("TPersonForm"), {}, -1);
    app.processEvents();
    auto *filter = f->findChild<QComboBox *>(QStringLiteral("cbTypWahl"));
    const int types[] = {2, 3, 1, 0, 1, 2, 0, 3};
    for (int typ : types) {
        const int index = typ ? filter->findText(typ == 1 ? QStringLiteral("Mitarbeiter")
                                                          : (typ == 2 ? QStringLiteral("Klient") : QStringLiteral("Arzt")))
                              : 0;
        QElapsedTimer t;
        t.start();
        filter->setCurrentIndex(index);
        emit filter->activated(index);
        ours.push_back(t.nsecsElapsed() / 1e9);
        // The repaint of the list is not part of the switch (the baseline paints nothing).
        app.processEvents();
        // The same work raw: the list's first rows and the record by its ID.
        double b = rawRows(d, listSql(typ), 64);
        char rec[160];
        std::snprintf(rec, sizeof rec, "select * from PERSON where (DD is NULL) and ID = %lld",
                      static_cast<long long>(f->property("Person_ID").toLongLong()));
        b += rawRows(d, rec, -1);
        base.push_back(b);
    }
    report("persons_filter", kPersons, median(ours), median(base));
    filter->setCurrentIndex(0);
    emit filter->activated(0);

    // ---- persons_csv ----
    ours.clear();
    base.clear();
    const QString csv = QDir(home.path()).filePath(QStringLiteral("personen.csv"));
    const QString rawCsv = QDir(home.path()).filePath(QStringLiteral("raw.csv"));
    auto *exportAction = f->findChild<QAction *>(QStringLiteral("sbExport"));
    const std::string exportSql = Personen::ExportSql().replace(QStringLiteral("@@FILTER@"), QString()).toStdString();
    for (int i = 0; i < 3; ++i) {
        Dialogs::expect(Dialogs::Kind::SaveFile, {Dialogs::Ok, csv});
        QElapsedTimer t;
        t.start();
        exportAction->trigger();
        ours.push_back(t.nsecsElapsed() / 1e9);
        base.push_back(rawExport(d, exportSql, rawCsv));
    }
    report("persons_csv", kPersons, median(ours), median(base));
    if (QFileInfo(csv).size() < QFileInfo(rawCsv).size() / 2)
        std::fprintf(stderr, "export file too small: %lld\n", QFileInfo(csv).size());

    Modinfo::DestroyAllForms();
    TDMZaehlringe::release();
    Dm::DatenModul()->setDatabase(nullptr);
    return 0;
}
