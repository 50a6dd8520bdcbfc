#include "testdb.h"

#include "platform/db/schema.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace testing_fd {

namespace {

QString templatePath()
{
    static QTemporaryDir dir;
    static QString path = [] {
        const QString p = QDir(dir.path()).filePath(QStringLiteral("template.fdb"));
        TestDb::createAt(p);
        return p;
    }();
    return path;
}

} // namespace

void TestDb::createAt(const QString &path, int upto)
{
    db::Database d;
    db::ConnectionParams p;
    p.database = path;
    d.setParams(p);
    d.create();
    db::Schema::upgrade(d, schemaDir(), upto);
    d.close();
}

TestDb::TestDb()
{
    m_path = QDir(m_dir.path()).filePath(QStringLiteral("test.fdb"));
    if (!QFile::copy(templatePath(), m_path))
        throw std::runtime_error("cannot copy template database");
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    m_db = std::make_unique<db::Database>();
    db::ConnectionParams p;
    p.database = m_path;
    m_db->setParams(p);
    m_db->open();
}

TestDb::~TestDb()
{
    m_db.reset();
}

std::unique_ptr<db::Database> TestDb::attachAgain() const
{
    auto d = std::make_unique<db::Database>();
    db::ConnectionParams p;
    p.database = m_path;
    d->setParams(p);
    d->open();
    return d;
}

} // namespace testing_fd
