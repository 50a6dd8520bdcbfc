#pragma once
// A fresh embedded database with the full schema in a temporary folder, for one test.

#include "platform/db/database.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace testing_fd {

class TestDb
{
public:
    // Copies a template database (created once per test program from schema/) into a new
    // temporary folder and attaches to it.
    TestDb();
    ~TestDb();

    db::Database &db() { return *m_db; }
    const QString &path() const { return m_path; }
    QString dir() const { return m_dir.path(); }
    // A second, independent attachment to the same database (another "user").
    std::unique_ptr<db::Database> attachAgain() const;

    static QString schemaDir() { return QStringLiteral(FD_TEST_SCHEMA_DIR); }
    // Creates a database from the scripts up to `upto` at `path`.
    static void createAt(const QString &path, int upto = 1 << 30);

private:
    QTemporaryDir m_dir;
    QString m_path;
    std::unique_ptr<db::Database> m_db;
};

} // namespace testing_fd
