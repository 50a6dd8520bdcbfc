// Several users on one Firebird server: a private server instance on a loopback port, two
// clients drawing numbers concurrently over TCP.

#include "platform/db/database.h"
#include "platform/db/dberror.h"
#include "platform/db/query.h"
#include "platform/db/schema.h"
#include "platform/db/transaction.h"
#include "support/testdb.h"

#include <QDir>
#include <QProcess>
#include <QSet>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>

using namespace db;

namespace {

int freePort()
{
    // Let the kernel choose a free loopback port.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

class PrivateServer
{
public:
    PrivateServer()
    {
        m_port = freePort();
        QProcess p;
        p.start(QStringLiteral(FD_FBSERVER_SCRIPT),
                {QStringLiteral("start"), m_dir.path(), QString::number(m_port), password()});
        p.waitForFinished(60000);
        if (p.exitCode() != 0)
            throw std::runtime_error("Firebird server did not start: " + p.readAllStandardError().toStdString());
    }
    ~PrivateServer()
    {
        QProcess::execute(QStringLiteral(FD_FBSERVER_SCRIPT), {QStringLiteral("stop"), m_dir.path()});
    }
    static QString password() { return QStringLiteral("t3st-Kennwort"); }
    QString connection(const QString &file) const
    {
        return QStringLiteral("127.0.0.1/%1:%2").arg(m_port).arg(QDir(m_dir.path()).filePath(QStringLiteral("data/") + file));
    }

private:
    QTemporaryDir m_dir;
    int m_port = 0;
};

ConnectionParams params(const QString &conn, const QString &pw = PrivateServer::password())
{
    ConnectionParams p;
    p.database = conn;
    p.user = QStringLiteral("SYSDBA");
    p.password = pw;
    return p;
}

} // namespace

TEST(Server, TwoClientsDrawDistinctNumbersConcurrently)
{
    PrivateServer server;
    const QString conn = server.connection(QStringLiteral("mandant.fdb"));
    ASSERT_TRUE(Database::isRemote(conn));
    {
        Database d;
        d.setParams(params(conn));
        d.create();
        Schema::upgrade(d, testing_fd::TestDb::schemaDir());
        d.close();
    }

    constexpr int perClient = 2000;
    QVector<QStringList> drawn(2);
    QVector<QString> errors(2);
    auto client = [&](int who) {
        try {
            Database d;
            d.setParams(params(conn));
            d.open();
            Transaction tr(&d);
            Query q(&d, &tr);
            q.setSql(QStringLiteral("select NR from SP_GET_NUMMER(:IDENT, :SUB_IDENT, :DATUM, :ANR, :SELF_ID, :FORCE_NEW)"));
            q.setParam(QStringLiteral("IDENT"), QStringLiteral("person"));
            q.setParam(QStringLiteral("SUB_IDENT"), 1);
            q.setParam(QStringLiteral("DATUM"), QDate::currentDate());
            q.setParam(QStringLiteral("ANR"), QVariant());
            q.setParam(QStringLiteral("SELF_ID"), QVariant());
            q.setParam(QStringLiteral("FORCE_NEW"), QVariant());
            for (int i = 0; i < perClient; ++i) {
                q.open();
                drawn[who] << q.value(0).toString();
                q.close();
                tr.commit(); // each allocation committed on its own
            }
            d.close();
        } catch (const DbError &e) {
            errors[who] = e.userMessage() + QStringLiteral(" / ") + e.engineText();
        }
    };
    std::thread a(client, 0), b(client, 1);
    a.join();
    b.join();
    ASSERT_TRUE(errors[0].isEmpty()) << errors[0].toStdString();
    ASSERT_TRUE(errors[1].isEmpty()) << errors[1].toStdString();
    QSet<QString> all;
    for (const QStringList &l : drawn) {
        ASSERT_EQ(l.size(), perClient);
        for (const QString &n : l) {
            EXPECT_FALSE(n.isEmpty());
            all.insert(n);
        }
    }
    EXPECT_EQ(all.size(), 2 * perClient) << "a number was handed out twice";
}

TEST(Server, WrongPasswordIsAGermanMessage)
{
    PrivateServer server;
    const QString conn = server.connection(QStringLiteral("leer.fdb"));
    {
        Database d;
        d.setParams(params(conn));
        d.create();
        d.close();
    }
    Database d;
    d.setParams(params(conn, QStringLiteral("falsch")));
    try {
        d.open();
        FAIL() << "opened with a wrong password";
    } catch (const DbError &e) {
        EXPECT_EQ(e.kind(), DbError::Kind::ConnectFailed);
        EXPECT_TRUE(e.userMessage().contains(QStringLiteral("Benutzername oder Kennwort"))) << e.userMessage().toStdString();
    }
}
