// The material master: list, filter and orders, the article grid of the current material and its
// sort, the published properties and the merge timer.

#include "articlesfixture.h"

#include "host/shellware/systools.h"

#include <QTableView>
#include <QHeaderView>
#include <QTest>
#include <QToolButton>

class MaterialstammTest : public ArticlesTest
{
protected:
    void SetUp() override
    {
        ArticlesTest::SetUp();
        futter = matKurz(QStringLiteral("Futter"));
        oberstoff = matKurz(QStringLiteral("Oberstoff"));
        matKurz(QStringLiteral("  "));
        zulieferer = firma(QStringLiteral("Zulieferer"), 2);
        alpha = firma(QStringLiteral("Alpha"), 2);
        baumwolle = material(QStringLiteral("Baumwolle"), QStringLiteral("fein"), zulieferer, futter);
        acryl = material(QStringLiteral("Acryl"), QString(), 0, oberstoff);
        wolle = material(QStringLiteral("Wolle"), QString(), alpha, futter);
        const qint64 rot = farbe(QStringLiteral("Rot"));
        const qint64 blau = farbe(QStringLiteral("Blau"));
        jacke = artikel(QStringLiteral("Jacke"), rot, 0, 1, QStringLiteral("000001-0001-0001"));
        alt = artikel(QStringLiteral("Altware"), blau, 0, 0, QStringLiteral("000002-0001-0001"));
        for (qint64 a : {jacke, jacke, alt})
            ins(QStringLiteral("insert into STLISTE (ARTIKEL_ID, MATERIAL_ID) values (%1, %2)").arg(a).arg(baumwolle));
    }
    TWin95Form *open(const QVariantList &args = {})
    {
        TWin95Form *f = Modinfo::CreateAndRunForm(QStringLiteral("TMaterialstammForm"), args, int(args.size()) - 1);
        EXPECT_NE(f, nullptr);
        return f;
    }
    static qint64 current(TWin95Form *f) { return Systools::GetCompOrdProp(f, QStringLiteral("Material_ID")); }
    qint64 futter = 0, oberstoff = 0, zulieferer = 0, alpha = 0, baumwolle = 0, acryl = 0, wolle = 0, jacke = 0, alt = 0;
};

TEST_F(MaterialstammTest, ListOrdersAndFilter)
{
    TWin95Form *f = open();
    db::DataSet *mat = ds(f, "Material");
    EXPECT_EQ(column(mat, "NAME"), (QStringList{QStringLiteral("Acryl"), QStringLiteral("Baumwolle, fein"), QStringLiteral("Wolle")}));
    EXPECT_EQ(current(f), acryl);
    // A material without supplier has an empty firm and no articles.
    EXPECT_EQ(mat->fieldByName(QStringLiteral("FIRMA")).asString(), QString());
    EXPECT_EQ(ds(f, "Artikel")->recordCount(), 0);
    EXPECT_EQ(mat->fieldByName(QStringLiteral("KURZNAME_ID")).displayText(), QStringLiteral("Oberstoff"));
    EXPECT_EQ(mat->fieldByName(QStringLiteral("EKPREIS")).displayText(), QStringLiteral("3,50 EUR"));
    struct Case { const char *button; QStringList names; } cases[] = {
        {"btnMatNummer", {QStringLiteral("Acryl"), QStringLiteral("Baumwolle, fein"), QStringLiteral("Wolle")}},
        {"btnFirma", {QStringLiteral("Acryl"), QStringLiteral("Wolle"), QStringLiteral("Baumwolle, fein")}},
        {"btnName", {QStringLiteral("Acryl"), QStringLiteral("Baumwolle, fein"), QStringLiteral("Wolle")}},
    };
    for (const Case &c : cases) {
        f->findChild<QToolButton *>(QString::fromLatin1(c.button))->click();
        EXPECT_EQ(column(mat, "NAME"), c.names) << c.button;
        EXPECT_EQ(current(f), acryl) << c.button;
    }
    auto *filter = f->findChild<QComboBox *>(QStringLiteral("cbKurzFilter"));
    EXPECT_EQ(items(filter), (QStringList{QStringLiteral("< alle Kurzname >"), QStringLiteral("Futter"), QStringLiteral("Oberstoff")}));
    choose(filter, QStringLiteral("Futter"));
    EXPECT_EQ(column(mat, "NAME"), (QStringList{QStringLiteral("Baumwolle, fein"), QStringLiteral("Wolle")}));
    // The current material is not in the filtered list: the first listed one becomes current.
    EXPECT_EQ(current(f), baumwolle);
    EXPECT_EQ(ds(f, "Artikel")->recordCount(), 3);
}

TEST_F(MaterialstammTest, ArticleGridFollowsTheMaterialAndSorts)
{
    TWin95Form *f = open({QVariant(qlonglong(baumwolle))});
    db::DataSet *art = ds(f, "Artikel");
    EXPECT_EQ(current(f), baumwolle);
    // One row per position; inactive articles are listed as well.
    EXPECT_EQ(column(art, "BEZEICHNUNG"), (QStringList{QStringLiteral("Altware"), QStringLiteral("Jacke"), QStringLiteral("Jacke")}));
    auto *grid = f->findChild<QTableView *>(QStringLiteral("ArtikelGrid"));
    struct Click { int column; int order; int dir; const char *first; } clicks[] = {
        {0, 0, 1, "Jacke"}, {1, 1, 0, "Altware"}, {1, 1, 1, "Jacke"}, {2, 2, 0, "Jacke"}, {2, 2, 1, "Altware"},
    };
    for (const Click &c : clicks) {
        emit grid->horizontalHeader()->sectionClicked(c.column);
        EXPECT_EQ(Systools::GetCompOrdProp(f, QStringLiteral("OrderArtikel")), c.order);
        EXPECT_EQ(Systools::GetCompOrdProp(f, QStringLiteral("OrderDir")), c.dir);
        EXPECT_EQ(art->fieldByName(QStringLiteral("BEZEICHNUNG")).asString(), QLatin1String(c.first)) << c.column;
    }
    // Moving in the list reloads the grid once the timer has run.
    db::DataSet *mat = ds(f, "Material");
    mat->next();
    EXPECT_EQ(current(f), baumwolle);
    QTest::qWait(120);
    EXPECT_EQ(current(f), wolle);
    EXPECT_EQ(art->recordCount(), 0);
    // A material ID that is not listed leaves the first material current.
    Modinfo::CreateAndRunForm(QStringLiteral("TMaterialstammForm"), {QVariant(qlonglong(999999))}, 0);
    EXPECT_EQ(current(f), acryl);
}
