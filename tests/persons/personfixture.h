#pragma once
// A host environment for the person register: a fresh database as the shared attachment,
// private settings and installation folders, Personen.mdl loaded through the host's module
// loader, scripted dialogs, and a privileged user (the register is read-only for others).

#include "support/testdb.h"

#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>
#include <memory>

class TPersonForm;
class TWin95Form;
class TExtNavigator;
class QLineEdit;
namespace db { class DataSet; }

class PersonTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the form through the host registry with `args` (FMIExecute).
    TWin95Form *open(const QVariantList &args = {});
    db::DataSet *list(TWin95Form *f) const;
    db::DataSet *record(TWin95Form *f) const;
    TExtNavigator *nav(TWin95Form *f) const;
    QLineEdit *edit(TWin95Form *f, const char *name) const;
    // Types `text` into an edit as a user would (replacing its content).
    static void type(QLineEdit *e, const QString &text);
    static qint64 idOf(db::DataSet *ds);

    QVariant sql(const QString &select);
    void exec(const QString &statement);
    int addPerson(const QString &nachname, int typ, const QString &vorname = QString(), int firma = 0);
    int addFirma(const QString &name, int typ);

    std::unique_ptr<testing_fd::TestDb> m_db;
    QTemporaryDir m_home;
};
