#pragma once
// A host environment per test: a fresh database as the shared attachment, private settings and
// installation folders, the test module loaded, scripted dialogs, user "benutzer" (level 1).

#include "support/testdb.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class TWin95Form;

class HostTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Loads the test module once per program run.
    static void loadTestModule();
    static QString moduleDir() { return QStringLiteral(FD_TEST_MODULE_DIR); }
    // One value of the first row of a select on the test database.
    QVariant sql(const QString &select);
    void exec(const QString &statement);
    // Inserts a company (FIRMEN) and returns its ID.
    int addFirma(const QString &name);

    std::unique_ptr<testing_fd::TestDb> m_db;
    QTemporaryDir m_home;
};
