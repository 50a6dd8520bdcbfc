// dossier_switch: with 20 000 companies, fill the dossier's company picker and switch to another
// company while the master page is shown, against the plain queries that switch needs (list
// count, list rows, header row, master page row) in the same run. Rounds of both sides alternate.

#include "host/recordware/datenmodul.h"
#include "host/shellware/cfg.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/modinfo.h"
#include "host/shellware/systools.h"
#include "host/shellware/user.h"
#include "host/shellware/win95form.h"
#include "kit/numbers/uzaehlringe.h"
#include "platform/db/database.h"
#include "platform/db/query.h"
#include "platform/db/schema.h"
#include "platform/db/transaction.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kCompanies = 20000;
constexpr int kRounds = 15;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

const char *const kWhere = "where (F.DD is Null) and (F.TYP > 0)";

// What a switch reads without widgets, models or pages.
void rawSwitch(db::Database &d, qint64 id)
{
    db::Transaction tr(&d, db::Transaction::readParams());
    tr.start();
    db::Query count(&d, &tr);
    count.setSql(QStringLiteral("select count(*) from FIRMEN F %1").arg(QLatin1String(kWhere)));
    count.open();
    volatile int n = count.value(0).toInt();
    (void)n;
    db::Query list(&d, &tr);
    list.setSql(QStringLiteral("select cast(coalesce(nullif(trim(coalesce(F.NAME1, '') || ' ' || coalesce(F.NAME2, '')), ''), "
                               "F.KURZBEZEICHNUNG) as varchar(82)) as NAME, F.ID, F.TYP, coalesce(F.KENNZEICHEN, 0) "
                               "from FIRMEN F %1 order by 1").arg(QLatin1String(kWhere)));
    QVector<QString> names;
    QVector<qint64> ids;
    for (list.open(); !list.eof(); list.next()) {
        names.append(list.value(0).toString());
        ids.append(list.value(1).toLongLong());
    }
    db::Query head(&d, &tr);
    head.setSql(QStringLiteral("select first 1 ID, KURZBEZEICHNUNG, NAME1, NAME2, NAME3, PLZ, ORT, STRASSE, TELEFON1, NUMMER, TYP "
                               "from FIRMEN where ID = :FID and DD is NULL"));
    head.setParam(QStringLiteral("FID"), id);
    head.open();
    db::Query page(&d, &tr);
    page.setSql(QStringLiteral("select F.*, P.PERSONEN_NAME, V.PERSONEN_NAME from FIRMEN F left join PERSON P on P.ID = F.PERSON_ID "
                               "left join PERSON V on V.ID = F.VERTRETER_ID where F.ID = :FID and F.DD is NULL"));
    page.setParam(QStringLiteral("FID"), id);
    page.open();
    tr.commit();
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
    User::SetCurrentMandant(QStringLiteral("Bench"), home.path());

    db::Database d;
    db::ConnectionParams p;
    p.database = QDir(home.path()).filePath(QStringLiteral("bench.fdb"));
    d.setParams(p);
    d.create();
    db::Schema::upgrade(d, QStringLiteral(FD_SCHEMA_DIR));
    d.executeImmediate(QStringLiteral(
        "execute block as declare i integer = 0; begin "
        "while (i < %1) do begin "
        "  insert into FIRMEN (KURZBEZEICHNUNG, NAME1, NAME2, BEZEICHNUNG, TYP, KENNZEICHEN, NUMMER, PLZ, ORT, STRASSE, TELEFON1, LAND) "
        "  values ('K' || :i, 'Firma ' || lpad(mod(:i * 7919, %1), 6, '0'), 'Zweig ' || mod(:i, 50), 'Firma ' || :i, "
        "    iif(mod(:i, 10) = 0, -3, mod(:i, 4) + 1), mod(:i, 7), lpad(:i, 6, '0'), lpad(mod(:i, 99999), 5, '0'), "
        "    'Ort ' || mod(:i, 300), 'Weg ' || mod(:i, 100), '030-' || :i, 'D'); "
        "  i = i + 1; "
        "end end").arg(kCompanies));
    Dm::DatenModul()->setDatabase(&d);

    const QString modDir = QDir(home.path()).filePath(QStringLiteral("Module"));
    QDir().mkpath(modDir);
    QFile::link(QStringLiteral(FD_FIRMENKARTE_MDL), QDir(modDir).filePath(QStringLiteral("Firmenkarte.mdl")));
    QFile::link(QStringLiteral(FD_BETRIEBSMAPPE_MDL), QDir(modDir).filePath(QStringLiteral("Betriebsmappe.mdl")));
    const Modinfo::LoadResult lr = Modinfo::LoadModules(modDir, true);
    if (!lr.failed.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(lr.failed.join(QLatin1Char('\n'))));
        return 1;
    }

    // Companies to switch between, spread over the list.
    std::vector<qint64> targets;
    {
        db::Transaction tr(&d, db::Transaction::readParams());
        tr.start();
        db::Query q(&d, &tr);
        q.setSql(QStringLiteral("select ID from FIRMEN where TYP > 0 and mod(ID, 997) = 1"));
        for (q.open(); !q.eof(); q.next())
            targets.push_back(q.value(0).toLongLong());
        tr.commit();
    }
    if (targets.size() < 2) {
        std::fprintf(stderr, "no companies\n");
        return 1;
    }
    TWin95Form *mappe = Modinfo::CreateAndRunForm(QStringLiteral("TFrmBetriebsmappe"),
                                                  {QVariant(int(targets[0])), QStringLiteral("TStammFirmenForm")}, 1);
    if (!mappe) {
        std::fprintf(stderr, "dossier not created\n");
        return 1;
    }
    mappe->show();
    app.processEvents();
    rawSwitch(d, targets[0]);

    std::vector<double> ours, base;
    for (int r = 0; r < kRounds; ++r) {
        const qint64 id = targets[(r + 1) % targets.size()];
        QElapsedTimer t;
        t.start();
        rawSwitch(d, id);
        base.push_back(t.nsecsElapsed() / 1e9);

        t.restart();
        QMetaObject::invokeMethod(mappe, "ShowPicker", Q_ARG(bool, true));
        QMetaObject::invokeMethod(mappe, "SetCompany", Q_ARG(qint64, id));
        QMetaObject::invokeMethod(mappe, "ShowPicker", Q_ARG(bool, false));
        app.processEvents();
        ours.push_back(t.nsecsElapsed() / 1e9);
        if (mappe->property("Firmen_ID").toLongLong() != id) {
            std::fprintf(stderr, "switch failed\n");
            return 1;
        }
    }
    const double o = median(ours), b = median(base);
    std::printf("BENCH dossier_switch n=%d ours=%.4f base=%.4f ratio=%.2f\n", kCompanies, o, b, b > 0 ? o / b : 0.0);
    std::fflush(stdout);
    Modinfo::DestroyAllForms();
    TDMZaehlringe::release();
    Dm::DatenModul()->setDatabase(nullptr);
    return 0;
}
