// The page list of the dossier: comments, the page for new companies, groups with pictures,
// pages with parameters, classes that are not installed and groups left without pages.

#include "Betriebsmappe/pageconfig.h"

#include <gtest/gtest.h>

using Betriebsmappe::ParsePageConfig;

namespace {
bool installed(const QString &cls)
{
    static const QStringList known = {QStringLiteral("TStammFirmenForm"), QStringLiteral("TArtikelListForm"),
                                      QStringLiteral("TFehlerVerwaltungForm")};
    return known.contains(cls);
}

// One line per group: "caption/picture: page|class|arg,arg; ..."
QString describe(const Betriebsmappe::PageConfig &c)
{
    QStringList groups;
    for (const auto &g : c.groups) {
        QStringList pages;
        for (const auto &p : g.pages)
            pages << p.caption + QLatin1Char('|') + p.className + QLatin1Char('|') + p.args.join(QLatin1Char(','));
        groups << g.caption + QLatin1Char('/') + QString::number(g.picture) + QStringLiteral(": ") + pages.join(QStringLiteral("; "));
    }
    return groups.join(QStringLiteral(" # "));
}
} // namespace

TEST(PageConfig, LinesBecomeGroupsAndPages)
{
    struct Case
    {
        const char *name;
        QStringList lines;
        const char *expected;
    } cases[] = {
        {"seed list with uninstalled classes",
         {QStringLiteral("@ Seiten"), QStringLiteral("!Add=TStammFirmenForm"), QStringLiteral("(Firma,1)"),
          QStringLiteral("Stammdaten=TStammFirmenForm"), QStringLiteral("Korrespondenz=TBriefwerkForm"),
          QStringLiteral("(Material,3)"), QStringLiteral("Material der Firma=TMaterialListForm"), QStringLiteral("(Fehler,4)"),
          QStringLiteral("Fehler=TFehlerVerwaltungForm")},
         "Firma/1: Stammdaten|TStammFirmenForm| # Fehler/4: Fehler|TFehlerVerwaltungForm|"},
        {"square brackets, blanks, missing and bad picture numbers",
         {QStringLiteral("  [ Artikel , 2 ]  "), QStringLiteral(" Liste = TArtikelListForm "), QStringLiteral("(Ohne)"),
          QStringLiteral("A=TStammFirmenForm"), QStringLiteral("(Text,x)"), QStringLiteral("B=TStammFirmenForm")},
         "Artikel/2: Liste|TArtikelListForm| # Ohne/0: A|TStammFirmenForm| # Text/0: B|TStammFirmenForm|"},
        {"parameters trimmed, at most eight",
         {QStringLiteral("(G,5)"), QStringLiteral("P=TStammFirmenForm; 1 ;zwei;;4;5;6;7;8;9;10")},
         "G/5: P|TStammFirmenForm|1,zwei,,4,5,6,7,8"},
        {"page before any group, short lines and comments ignored",
         {QStringLiteral("Vorne=TStammFirmenForm"), QStringLiteral("ab"), QStringLiteral("@(X,1)"), QStringLiteral("(G,1)"),
          QStringLiteral("ohne Gleichheitszeichen"), QStringLiteral("P=TArtikelListForm")},
         "G/1: P|TArtikelListForm|"},
        {"group whose only page is not installed is dropped",
         {QStringLiteral("(Leer,9)"), QStringLiteral("X=TGibtEsNicht"), QStringLiteral("(Voll,1)"), QStringLiteral("Y=TStammFirmenForm")},
         "Voll/1: Y|TStammFirmenForm|"},
        {"nothing installed", {QStringLiteral("(G,1)"), QStringLiteral("X=TNirgends")}, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(describe(ParsePageConfig(c.lines, installed)).toStdString(), std::string(c.expected));
    }
}

TEST(PageConfig, AddLineAndGroupNameFromFirstPage)
{
    const auto cfg = ParsePageConfig({QStringLiteral("!Add = TStammFirmenForm "), QStringLiteral("(Firma,1)"),
                                      QStringLiteral("Artikel=TArtikelListForm;a"), QStringLiteral("Stamm=TStammFirmenForm")},
                                     installed);
    EXPECT_EQ(cfg.addClass, QStringLiteral("TStammFirmenForm"));
    ASSERT_EQ(cfg.groups.size(), 1);
    EXPECT_EQ(cfg.groups[0].name(), QStringLiteral("TArtikelListForm"));
    EXPECT_EQ(cfg.groups[0].pages[0].params, QStringLiteral("a"));
}
