#pragma once
// Host environment with the company libraries loaded and helpers that insert companies and
// persons with plain SQL.

#include "hostfixture.h"

#include "host/shellware/extnavigator.h"
#include "kit/numbers/uzaehlringe.h"
#include "host/shellware/modinfo.h"
#include "host/shellware/systools.h"
#include "platform/db/dataset.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"

#include <QComboBox>

class CompaniesTest : public HostTest
{
protected:
    // The number data module binds to the attachment of the test that created it.
    void SetUp() override
    {
        TDMZaehlringe::release();
        HostTest::SetUp();
    }
    void TearDown() override
    {
        HostTest::TearDown();
        TDMZaehlringe::release();
    }
    qint64 ins(const QString &sql)
    {
        db::Transaction tr(&m_db->db(), db::Transaction::writeParams());
        tr.start();
        db::Query q(&m_db->db(), &tr);
        q.setSql(sql + QStringLiteral(" returning ID"));
        q.exec();
        const qint64 id = q.value(QStringLiteral("ID")).toLongLong();
        tr.commit();
        return id;
    }
    // A company with name line 1, type and optional favourite flag.
    qint64 firma(const QString &name1, int typ = 3, int kennzeichen = 0, const QString &nummer = QString())
    {
        return ins(QStringLiteral("insert into FIRMEN (KURZBEZEICHNUNG, NAME1, BEZEICHNUNG, TYP, KENNZEICHEN, NUMMER, ORT, "
                                  "STRASSE, PLZ, TELEFON1) values ('%1', '%1', '%1', %2, %3, %4, 'Berlin', 'Hauptstr. 1', "
                                  "'10115', '030-1')")
                       .arg(name1)
                       .arg(typ)
                       .arg(kennzeichen)
                       .arg(nummer.isEmpty() ? QStringLiteral("null") : QLatin1Char('\'') + nummer + QLatin1Char('\'')));
    }
    qint64 person(const QString &nachname, const QString &vorname, int typ, qint64 firmenId = 0)
    {
        return ins(QStringLiteral("insert into PERSON (NACHNAME, VORNAME, TYP, FIRMEN_ID, TELEFON1, TELEFON2) "
                                  "values ('%1', '%2', %3, %4, '030-77', '030-88')")
                       .arg(nachname, vorname)
                       .arg(typ)
                       .arg(firmenId ? QString::number(firmenId) : QStringLiteral("null")));
    }
    QStringList protocolTexts() const
    {
        QStringList out;
        for (const auto &l : Systools::Protocol::instance().lines())
            out << l.context + QStringLiteral(": ") + l.text;
        return out;
    }

    static db::DataSet *ds(QObject *form, const char *name) { return form->findChild<db::DataSet *>(QString::fromLatin1(name)); }
    static TExtNavigator *nav(QObject *form, const char *name = "Navigator")
    {
        return form->findChild<TExtNavigator *>(QString::fromLatin1(name));
    }
    template<class T>
    static T *child(QObject *form, const char *name)
    {
        return form->findChild<T *>(QString::fromLatin1(name));
    }
    static void choose(QComboBox *c, const QString &text)
    {
        const int i = c->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        c->setCurrentIndex(i);
        emit c->activated(i);
    }
};
