// Host tools: the dialog service, message boxes, argument lists, properties, the protocol,
// settings and the form lock.

#include "hostfixture.h"

#include "host/shellware/cfg.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/systools.h"
#include "host/shellware/win95form.h"
#include "platform/db/dberror.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <stdexcept>

using DialogsTest = HostTest;

TEST_F(DialogsTest, MsgBoxAnswersWithTheCodesOfItsArguments)
{
    struct Case
    {
        QVariantList args;
        Dialogs::Kind kind;
        int reply;
        int expected;
    } cases[] = {
        {{QStringLiteral("Hinweis")}, Dialogs::Kind::Message, Dialogs::Ok, 1},
        {{QStringLiteral("Vorlage speichern ?"), 3, 3}, Dialogs::Kind::Question, Dialogs::Yes, 6},
        {{QStringLiteral("Vorlage speichern ?"), 3, 3}, Dialogs::Kind::Question, Dialogs::No, 7},
        {{QStringLiteral("Vorlage speichern ?"), 3, 3}, Dialogs::Kind::Question, Dialogs::Cancel, 2},
        {{QStringLiteral("Löschen ?"), 4, 3}, Dialogs::Kind::Question, Dialogs::Cancel, 7},
    };
    for (const Case &c : cases) {
        Dialogs::expect(c.kind, Dialogs::Reply{c.reply, QString()}, c.args.first().toString());
        EXPECT_EQ(Systools::MsgBox(c.args), c.expected) << c.args.first().toString().toStdString() << " " << c.reply;
        EXPECT_EQ(Dialogs::pendingExpectations(), 0);
    }
}

TEST_F(DialogsTest, AnUnexpectedDialogIsReportedAndAnsweredWithCancel)
{
    QStringList unexpected;
    Dialogs::setScripted(true, [&](const QString &w) { unexpected << w; });
    Dialogs::expectMessage(QStringLiteral("etwas anderes"));
    EXPECT_EQ(Dialogs::question(nullptr, QStringLiteral("Wirklich löschen?")), Dialogs::No);
    EXPECT_EQ(Dialogs::input(nullptr, QStringLiteral("Name")), std::nullopt);
    EXPECT_EQ(Dialogs::openFile(nullptr, QStringLiteral("Datei")), QString());
    Dialogs::setScripted(true, [](const QString &what) { ADD_FAILURE() << what.toStdString(); });
    ASSERT_EQ(unexpected.size(), 3);
    EXPECT_TRUE(unexpected.at(0).contains(QStringLiteral("Wirklich löschen?")));
}

TEST_F(DialogsTest, InputAndFileDialogsReturnTheScriptedValues)
{
    Dialogs::expect(Dialogs::Kind::Input, Dialogs::Reply{Dialogs::Ok, QStringLiteral("Müller")});
    Dialogs::expect(Dialogs::Kind::SaveFile, Dialogs::Reply{Dialogs::Ok, QStringLiteral("/tmp/x.csv")});
    Dialogs::expect(Dialogs::Kind::Choice, Dialogs::Reply{Dialogs::Ok, QStringLiteral("B")});
    EXPECT_EQ(Dialogs::input(nullptr, QStringLiteral("Name")).value_or(QString()), QStringLiteral("Müller"));
    EXPECT_EQ(Dialogs::saveFile(nullptr, QStringLiteral("Export")), QStringLiteral("/tmp/x.csv"));
    EXPECT_EQ(Dialogs::choose(nullptr, QStringLiteral("Mandant"), {QStringLiteral("A"), QStringLiteral("B")}).value_or(QString()),
              QStringLiteral("B"));
}

using SystoolsTest = HostTest;

TEST_F(SystoolsTest, GetVarStringReadsIntegersAndTextsWithinTheLastIndex)
{
    const QVariantList args{42, QStringLiteral("Kunde"), -1};
    struct Case { int last; int index; const char *expected; } cases[] = {
        {2, 0, "42"}, {2, 1, "Kunde"}, {2, 2, "-1"}, {2, 3, ""}, {1, 2, ""}, {-1, 0, ""}, {2, -1, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Systools::GetVarString(args, c.last, c.index), QString::fromUtf8(c.expected)) << c.last << "/" << c.index;
}

TEST_F(SystoolsTest, TextHelpers)
{
    EXPECT_EQ(Systools::DelReturns(QStringLiteral("a\r\nb\nc\rd")), QStringLiteral("a b c d"));
    struct Case { const char *in; const char *expanded; const char *deleted; } cases[] = {
        {"/daten", "/daten/", "/daten"}, {"/daten/", "/daten/", "/daten"}, {"/daten//", "/daten//", "/daten"}, {"", "", ""}, {"/", "/", "/"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Systools::ExpandDirSlash(QString::fromUtf8(c.in)), QString::fromUtf8(c.expanded)) << c.in;
        EXPECT_EQ(Systools::DeleteDirSlash(QString::fromUtf8(c.in)), QString::fromUtf8(c.deleted)) << c.in;
    }
}

TEST_F(SystoolsTest, PublishedPropertiesByName)
{
    QLabel label;
    label.setObjectName(QStringLiteral("Anzeige"));
    label.setText(QStringLiteral("Größe"));
    EXPECT_TRUE(Systools::SetCompOrdProp(&label, QStringLiteral("indent"), 7));
    EXPECT_EQ(Systools::GetCompOrdProp(&label, QStringLiteral("indent")), 7);
    EXPECT_EQ(Systools::GetCompStrProp(&label, QStringLiteral("text")), QStringLiteral("Größe"));
    EXPECT_EQ(Systools::GetCompOrdProp(&label, QStringLiteral("wordWrap")), 0);
    EXPECT_TRUE(Systools::SetCompOrdProp(&label, QStringLiteral("wordWrap"), 1));
    EXPECT_TRUE(label.wordWrap());
    // Unknown names and missing objects answer neutrally.
    EXPECT_EQ(Systools::GetCompOrdProp(&label, QStringLiteral("Firmen_ID")), 0);
    EXPECT_FALSE(Systools::SetCompOrdProp(&label, QStringLiteral("Firmen_ID"), 3));
    EXPECT_EQ(Systools::GetCompStrProp(nullptr, QStringLiteral("text")), QString());
    EXPECT_TRUE(Systools::IsObject(&label, "QWidget"));
    EXPECT_FALSE(Systools::IsObject(&label, "QLineEdit"));
    EXPECT_EQ(Systools::CheckAndFindComponent(&label, QStringLiteral("fehlt")), nullptr);
}

TEST_F(SystoolsTest, IterateComponentVisitsEveryDescendantAndStops)
{
    QObject root;
    auto *a = new QObject(&root);
    a->setObjectName(QStringLiteral("a"));
    auto *b = new QObject(a);
    b->setObjectName(QStringLiteral("b"));
    auto *c = new QObject(&root);
    c->setObjectName(QStringLiteral("c"));
    QStringList seen;
    Systools::IterateComponent(&root, [&](QObject *o) { seen << o->objectName(); return true; });
    EXPECT_EQ(seen, (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    seen.clear();
    Systools::IterateComponent(&root, [&](QObject *o) { seen << o->objectName(); return o->objectName() != QLatin1String("b"); });
    EXPECT_EQ(seen, (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
}

TEST_F(SystoolsTest, HandleExceptionWritesTheProtocolAndShowsAMessageUnlessQuiet)
{
    struct Case { bool quiet; bool dbError; } cases[] = {{false, false}, {true, false}, {false, true}};
    for (const Case &c : cases) {
        Systools::Protocol::instance().clear();
        if (!c.quiet)
            Dialogs::expectMessage(c.dbError ? QStringLiteral("gesperrt") : QStringLiteral("kaputt"));
        try {
            if (c.dbError)
                throw db::DbError(db::DbError::Kind::UpdateConflict, QStringLiteral("Der Datensatz ist gesperrt."),
                                  QStringLiteral("lock conflict on no wait transaction"));
            throw std::runtime_error("kaputt");
        } catch (...) {
            Systools::HandleException(QStringLiteral("Person.ExportPerson1"), nullptr, c.quiet);
        }
        EXPECT_EQ(Dialogs::pendingExpectations(), 0);
        ASSERT_EQ(Systools::Protocol::instance().lines().size(), 1);
        const Systools::ProtocolLine l = Systools::Protocol::instance().lines().first();
        EXPECT_EQ(l.context, QStringLiteral("Person.ExportPerson1"));
        EXPECT_TRUE(l.text.contains(c.dbError ? QStringLiteral("lock conflict") : QStringLiteral("kaputt")))
            << l.text.toStdString();
    }
    QFile log(Systools::Protocol::instance().currentFile());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    EXPECT_EQ(text.count(QStringLiteral("Person.ExportPerson1")), 3);
    Systools::Dbg(QStringLiteral("Spur"));
    EXPECT_EQ(Systools::Protocol::instance().lines().last().text, QStringLiteral("Spur"));
}

TEST_F(SystoolsTest, FormLockNests)
{
    TWin95Form f;
    EXPECT_FALSE(f.GetLocked());
    f.Lock(true);
    f.Lock(true);
    f.Lock(false);
    EXPECT_TRUE(f.GetLocked());
    f.Lock(false);
    EXPECT_FALSE(f.GetLocked());
    f.Lock(false); // an extra unlock does not go below zero
    f.Lock(true);
    EXPECT_TRUE(f.GetLocked());
}

using CfgTest = HostTest;


TEST_F(CfgTest, ValuesAreKeptPerFormClassAndGlobally)
{
    TWin95Form a;
    QLabel child(&a);
    QLabel loose;
    Cfg::SetCompValue(&a, QStringLiteral("ExportDir"), QStringLiteral("/a"));
    Cfg::SetCompValue(&loose, QStringLiteral("ExportDir"), QStringLiteral("/lose"));
    Cfg::SetGlobalValue(QStringLiteral("ExportDir"), QStringLiteral("/global"));
    // A child component shares its form's values.
    EXPECT_EQ(Cfg::GetCompValue(&child, QStringLiteral("ExportDir")).toString(), QStringLiteral("/a"));
    EXPECT_EQ(Cfg::GetCompValue(&loose, QStringLiteral("ExportDir")).toString(), QStringLiteral("/lose"));
    EXPECT_EQ(Cfg::GetGlobalValue(QStringLiteral("ExportDir")).toString(), QStringLiteral("/global"));
    EXPECT_EQ(Cfg::GetCompValue(&a, QStringLiteral("Fehlt"), 5).toInt(), 5);
    Cfg::Sync();
    QSettings file(QDir(Cfg::ConfigDir()).filePath(QStringLiteral("Formulare.ini")), QSettings::IniFormat);
    EXPECT_EQ(file.value(QStringLiteral("TWin95Form/ExportDir")).toString(), QStringLiteral("/a"));
}

TEST_F(CfgTest, HostIniLiesInTheInstallationDirectory)
{
    EXPECT_EQ(Cfg::HostIniPath(), QDir(m_home.path()).filePath(QStringLiteral("fehlerdoku.INI")));
    EXPECT_EQ(Cfg::HostIniValue(QStringLiteral("TPersonForm"), QStringLiteral("Zusatz1")), QString());
    QFile f(Cfg::HostIniPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[TPersonForm]\nZusatz1=Kostenstelle\nZusatz2=\n");
    f.close();
    EXPECT_EQ(Cfg::HostIniValue(QStringLiteral("TPersonForm"), QStringLiteral("Zusatz1")), QStringLiteral("Kostenstelle"));
    EXPECT_EQ(Cfg::HostIniValue(QStringLiteral("TPersonForm"), QStringLiteral("Zusatz2")), QString());
    EXPECT_EQ(Cfg::HostIniValue(QStringLiteral("TFirmaForm"), QStringLiteral("Zusatz1")), QString());
}

TEST_F(CfgTest, WindowOptionsRestoreSizeAndPosition)
{
    struct Case { int options; QSize size; QPoint pos; } cases[] = {
        {woLoadSize | woLoadPosition, QSize(420, 310), QPoint(33, 44)},
        {woLoadSize, QSize(420, 310), QPoint(0, 0)},
        {0, QSize(100, 100), QPoint(0, 0)},
    };
    for (const Case &c : cases) {
        {
            TWin95Form f;
            f.Options = woLoadSize | woLoadPosition;
            f.setGeometry(QRect(QPoint(33, 44), QSize(420, 310)));
            f.saveWindowOptions();
        }
        TWin95Form g;
        g.Options = c.options;
        g.setGeometry(QRect(QPoint(0, 0), QSize(100, 100)));
        g.restoreWindowOptions();
        EXPECT_EQ(g.size(), c.size) << c.options;
        EXPECT_EQ(g.pos(), c.pos) << c.options;
    }
}
