// Opens the article master and the material master on 100 000 rows each until the first page of
// the list, the current record and its detail grid are there, and runs the raw queries for the
// same rows in the same run; prints the medians.
#include "support/testdb.h"

#include "host/recordware/datenmodul.h"
#include "host/shellware/cfg.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/modinfo.h"
#include "host/shellware/systools.h"
#include "host/shellware/user.h"
#include "platform/db/dataset.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
constexpr int kRows = 100000;
constexpr int kRounds = 9;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double timed(const std::function<void()> &fn)
{
    QElapsedTimer t;
    t.start();
    fn();
    return t.nsecsElapsed() / 1e9;
}

// The first `n` rows of a select, read with a fresh prepared statement.
int readRows(db::Database &d, db::Transaction &tr, const QString &sql, const QVariantHash &params, int n)
{
    db::Query q(&d, &tr);
    q.setSql(sql);
    for (auto it = params.cbegin(); it != params.cend(); ++it)
        q.setParam(it.key(), it.value());
    q.open();
    int got = 0;
    while (!q.eof() && got < n) {
        for (int i = 0; i < q.fieldCount(); ++i)
            (void)q.value(i);
        ++got;
        q.next();
    }
    return got;
}

void fill(db::Database &d)
{
    d.executeImmediate(QStringLiteral(
        "execute block as declare i integer = 0; begin "
        "while (i < 20) do begin insert into APP$FARBEN (FARBE, AKTIV) values ('Farbe ' || :i, 1); "
        "insert into APP$ARTKURB (KURZBEZ, AKTIV) values ('Gruppe ' || :i, 1); "
        "insert into APP$MATKURZN (KURZNAME, AKTIV) values ('Kurz ' || :i, 1); "
        "insert into FIRMEN (BEZEICHNUNG, TYP) values ('Lieferant ' || :i, 2); i = i + 1; end end"));
    d.executeImmediate(QStringLiteral(
        "execute block as declare i integer = 0; begin while (i < %1) do begin "
        "insert into ARTIKEL (BEZEICHNUNG, DIZEVAVO, AKTIV, AFFORM, AFQUAL, AFFB, FARBE_ID, KURZB_ID) values "
        "('Artikel ' || lpad(:i, 6, '0'), lpad(:i, 6, '0') || '-0001-0001', 1, :i, 1, 1, mod(:i, 20) + 1, mod(:i, 20) + 1); "
        "insert into MATERIAL (MATNUMMER, NAME1, NAME2, VARBEZ, KURZNAME_ID, LIEFERER_ID, EKPREIS) values "
        "(lpad(:i, 6, '0') || '-0001-0001', 'Material ' || lpad(:i, 6, '0'), 'fein', 'v', mod(:i, 20) + 1, mod(:i, 20) + 1, 2.5); "
        "i = i + 1; end end").arg(kRows));
    // Bills of materials: 12 positions for each of the first 200 articles, each using one of the first materials.
    d.executeImmediate(QStringLiteral(
        "execute block as declare a integer = 1; declare p integer; begin while (a <= 200) do begin p = 1; "
        "while (p <= 12) do begin insert into STLISTE (ARTIKEL_ID, MATERIAL_ID, POS, VERBRAUCH) values "
        "(:a, mod(:a + :p, 50) + 1, :p, 1.25); p = p + 1; end a = a + 1; end end"));
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    Cfg::SetConfigDir(QDir(home.path()).filePath(QStringLiteral("config")));
    Cfg::SetInstallDir(home.path());
    Systools::Protocol::instance().setDirectory(QDir(home.path()).filePath(QStringLiteral("Protokoll")));
    User::SetCurrentUser(QStringLiteral("benutzer"), 1, 2);
    Dialogs::setScripted(true, [](const QString &what) { std::fprintf(stderr, "unexpected dialog: %s\n", qPrintable(what)); });
    testing_fd::TestDb tdb;
    fill(tdb.db());
    Dm::DatenModul()->setDatabase(&tdb.db());
    const Modinfo::LoadResult loaded = Modinfo::LoadModules(QStringLiteral(FD_BENCH_MODULE_DIR), true);
    if (!loaded.failed.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(loaded.failed.join(QLatin1Char('\n'))));
        return 1;
    }

    struct Case
    {
        const char *name;
        const char *cls;
        const char *list;
        const char *record;
        const char *detail;
        std::function<void(db::Database &, db::Transaction &)> raw;
    };
    const Case cases[] = {
        {"articles_open", "TWarenstammForm", "ArtikelList", "Artikel", "StListe",
         [](db::Database &d, db::Transaction &tr) {
             // The lookup entries the filter boxes and drop-downs show.
             readRows(d, tr, QStringLiteral("select ID, KURZBEZ from APP$ARTKURB where AKTIV = 1 order by KURZBEZ"), {}, 1000);
             readRows(d, tr, QStringLiteral("select ID, FARBE from APP$FARBEN where AKTIV = 1 order by FARBE"), {}, 1000);
             readRows(d, tr, QStringLiteral("select ID, PERSONEN_NAME from PERSON where TYP = 1 order by PERSONEN_NAME"), {}, 1000);
             readRows(d, tr, QStringLiteral("select ID, KURZNAME from APP$MATKURZN"), {}, 1000);
             readRows(d, tr, QStringLiteral("select A.ID, A.BEZEICHNUNG, A.DIZEVAVO from ARTIKEL A where A.AKTIV = 1 order by A.Bezeichnung"), {}, 64);
             readRows(d, tr, QStringLiteral("select ID, BEZEICHNUNG, DIZEVAVO, BEMERKUNG, DC, AKTIV, AFFORM, AFQUAL, AFFB, FARBE_ID, KURZB_ID "
                                            "from ARTIKEL where ID = :AID"), {{QStringLiteral("AID"), 1}}, 1);
             readRows(d, tr, QStringLiteral("select M.NAME1, M.NAME2, S.POS, S.DATUM, S.MSTGROESSE, S.BEMERKUNG, S.VARIANTE, S.BEZEICHNUNG, "
                                            "S.VERBRAUCH, S.FERTIGUNGSART, S.SAISON, M.ID, M.MATNUMMER, M.VARBEZ, M.KURZNAME_ID, F.BEZEICHNUNG "
                                            "from STLISTE S join MATERIAL M on M.ID = S.MATERIAL_ID join FIRMEN F on F.ID = M.LIEFERER_ID "
                                            "where S.ARTIKEL_ID = :AID order by S.Pos"), {{QStringLiteral("AID"), 1}}, 1000);
         }},
        {"materials_open", "TMaterialstammForm", "Material", "Material", "Artikel",
         [](db::Database &d, db::Transaction &tr) {
             readRows(d, tr, QStringLiteral("select ID, KURZNAME from APP$MATKURZN order by KURZNAME"), {}, 1000);
             const int n = readRows(d, tr, QStringLiteral(
                 "select M.ID, M.MATNUMMER, M.KURZNAME_ID, cast(case when M.NAME1 is null then M.NAME2 when M.NAME2 is null then M.NAME1 "
                 "else M.NAME1 || ', ' || M.NAME2 end as varchar(102)) as NAME, M.VARBEZ, M.EKPREIS, F.BEZEICHNUNG as FIRMA "
                 "from MATERIAL M left outer join FIRMEN F on F.ID = M.LIEFERER_ID where 1=1 order by 4"), {}, 64);
             (void)n;
             readRows(d, tr, QStringLiteral("select A.ID, A.BEZEICHNUNG, A.DIZEVAVO, A.BEMERKUNG, F.FARBE from STLISTE S "
                                            "left outer join ARTIKEL A on A.ID = S.ARTIKEL_ID left outer join APP$FARBEN F on F.ID = A.FARBE_ID "
                                            "where S.MATERIAL_ID = :MID order by A.BEZEICHNUNG"), {{QStringLiteral("MID"), 1}}, 1000);
         }},
    };
    for (const Case &c : cases) {
        std::vector<double> ours, base;
        for (int round = 0; round <= kRounds; ++round) {
            bool ok = true;
            TWin95Form *f = nullptr;
            const double o = timed([&]() {
                f = Modinfo::CreateAndRunForm(QString::fromLatin1(c.cls), {}, -1);
                auto *list = f ? f->findChild<db::DataSet *>(QString::fromLatin1(c.list)) : nullptr;
                auto *rec = f ? f->findChild<db::DataSet *>(QString::fromLatin1(c.record)) : nullptr;
                auto *detail = f ? f->findChild<db::DataSet *>(QString::fromLatin1(c.detail)) : nullptr;
                ok = list && rec && detail && list->isOpen() && list->recordCount() > 0 && rec->recordCount() > 0 && detail->isOpen()
                     && detail->recordCount() > 0;
            });
            Modinfo::DestroyForm(f);
            db::Transaction tr(&tdb.db(), db::Transaction::readParams());
            const double b = timed([&]() {
                tr.start();
                c.raw(tdb.db(), tr);
                tr.commit();
            });
            if (!ok) {
                std::fprintf(stderr, "%s: the form did not show its rows\n", c.name);
                return 1;
            }
            if (round > 0) { // the first round warms the caches
                ours.push_back(o);
                base.push_back(b);
            }
        }
        const double o = median(ours), b = median(base);
        std::printf("BENCH %s n=%d ours=%.4f base=%.4f ratio=%.2f\n", c.name, kRows, o, b, o / b);
        std::fflush(stdout);
    }
    return 0;
}
