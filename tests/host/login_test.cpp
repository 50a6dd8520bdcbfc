// Start of a session: the program user from APP$BENUTZER.

#include "hostfixture.h"

#include "host/app/login.h"
#include "host/shellware/dialogs.h"

using LoginTest = HostTest;

TEST_F(LoginTest, UsersLogInByNameAndPassword)
{
    exec(QStringLiteral("update APP$BENUTZER set PASSWORT_HASH = '%1' where NAME = 'admin'")
             .arg(hostapp::passwordHash(QStringLiteral("geheim"))));
    exec(QStringLiteral("insert into APP$BENUTZER (ID, NAME, TYP) values (3, 'chef', 128)"));
    struct Case
    {
        const char *preset;
        const char *chosen;      // answer to the user choice (none when preset)
        const char *password;    // answer to the password question (none when not asked)
        bool ok;
        int type;
    } cases[] = {
        {"benutzer", nullptr, nullptr, true, 1},
        {"chef", nullptr, nullptr, true, 128},
        {"admin", nullptr, "geheim", true, 255},
        {"admin", nullptr, "falsch", false, 0},
        {"niemand", nullptr, nullptr, false, 0},
        {"", "admin", "geheim", true, 255},
    };
    for (const Case &c : cases) {
        if (c.chosen)
            Dialogs::expect(Dialogs::Kind::Choice, Dialogs::Reply{Dialogs::Ok, QString::fromUtf8(c.chosen)}, QStringLiteral("Benutzer"));
        if (c.password)
            Dialogs::expect(Dialogs::Kind::Input, Dialogs::Reply{Dialogs::Ok, QString::fromUtf8(c.password)}, QStringLiteral("Kennwort"));
        const hostapp::LoginResult r = hostapp::login(m_db->db(), QString::fromUtf8(c.preset));
        EXPECT_EQ(r.ok, c.ok) << c.preset << " " << r.error.toStdString();
        EXPECT_EQ(Dialogs::pendingExpectations(), 0) << c.preset;
        if (c.ok) {
            EXPECT_EQ(r.type, c.type);
            EXPECT_EQ(sql(QStringLiteral("select count(*) from APP$BENUTZER where ID = %1 and CONNECT_ID = current_connection "
                                         "and LAST_LOGIN is not null").arg(r.id)).toInt(), 1);
        } else {
            EXPECT_FALSE(r.error.isEmpty());
        }
    }
}

TEST_F(LoginTest, AUserWithoutPasswordMaySetOneAtTheFirstInteractiveLogin)
{
    struct Case { const char *first; const char *second; bool stored; bool mismatchMessage; } cases[] = {
        {"", nullptr, false, false}, {"neu1", "neu2", false, true}, {"neu1", "neu1", true, false},
    };
    for (const Case &c : cases) {
        exec(QStringLiteral("update APP$BENUTZER set PASSWORT_HASH = NULL where NAME = 'benutzer'"));
        Dialogs::expect(Dialogs::Kind::Choice, Dialogs::Reply{Dialogs::Ok, QStringLiteral("benutzer")});
        Dialogs::expect(Dialogs::Kind::Input, Dialogs::Reply{Dialogs::Ok, QString::fromUtf8(c.first)}, QStringLiteral("kein Kennwort"));
        if (c.second)
            Dialogs::expect(Dialogs::Kind::Input, Dialogs::Reply{Dialogs::Ok, QString::fromUtf8(c.second)}, QStringLiteral("wiederholen"));
        if (c.mismatchMessage)
            Dialogs::expectMessage(QStringLiteral("stimmen nicht"));
        EXPECT_TRUE(hostapp::login(m_db->db(), QString()).ok);
        EXPECT_EQ(Dialogs::pendingExpectations(), 0) << c.first;
        const QVariant hash = sql(QStringLiteral("select PASSWORT_HASH from APP$BENUTZER where NAME = 'benutzer'"));
        EXPECT_EQ(!hash.isNull(), c.stored) << c.first;
        if (c.stored)
            EXPECT_EQ(hash.toString(), hostapp::passwordHash(QStringLiteral("neu1")));
    }
}
