#pragma once
// Host environment with the article and material libraries loaded and a few helpers that insert
// master data with plain SQL.

#include "hostfixture.h"

#include "host/shellware/modinfo.h"
#include "platform/db/dataset.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"

#include <QComboBox>

class ArticlesTest : public HostTest
{
protected:
    // Runs an insert "... returning ID" and gives the new ID.
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
    qint64 farbe(const QString &name) { return ins(QStringLiteral("insert into APP$FARBEN (FARBE, AKTIV) values ('%1', 1)").arg(name)); }
    qint64 kurzb(const QString &name) { return ins(QStringLiteral("insert into APP$ARTKURB (KURZBEZ, AKTIV) values ('%1', 1)").arg(name)); }
    qint64 matKurz(const QString &name) { return ins(QStringLiteral("insert into APP$MATKURZN (KURZNAME, AKTIV) values ('%1', 1)").arg(name)); }
    qint64 artikel(const QString &name, qint64 farbeId = 0, qint64 kurzbId = 0, int aktiv = 1, const QString &dizevavo = QString())
    {
        return ins(QStringLiteral("insert into ARTIKEL (BEZEICHNUNG, FARBE_ID, KURZB_ID, AKTIV, DIZEVAVO) values ('%1', %2, %3, %4, %5)")
                       .arg(name)
                       .arg(farbeId ? QString::number(farbeId) : QStringLiteral("null"))
                       .arg(kurzbId ? QString::number(kurzbId) : QStringLiteral("null"))
                       .arg(aktiv)
                       .arg(dizevavo.isEmpty() ? QStringLiteral("null") : QLatin1Char('\'') + dizevavo + QLatin1Char('\'')));
    }
    qint64 firma(const QString &bezeichnung, int typ = 3)
    {
        return ins(QStringLiteral("insert into FIRMEN (KURZBEZEICHNUNG, BEZEICHNUNG, TYP, NUMMER) values ('%1', '%1', %2, 'K-%3')")
                       .arg(bezeichnung)
                       .arg(typ)
                       .arg(bezeichnung.left(8)));
    }
    qint64 mitarbeiter(const QString &nachname, const QString &vorname)
    {
        return ins(QStringLiteral("insert into PERSON (NACHNAME, VORNAME, TYP, ANREDE) values ('%1', '%2', 1, 'Herr')").arg(nachname, vorname));
    }
    qint64 material(const QString &name1, const QString &name2, qint64 lieferer, qint64 kurzname, const QString &varbez = QString())
    {
        auto opt = [](const QString &s) { return s.isEmpty() ? QStringLiteral("null") : QLatin1Char('\'') + s + QLatin1Char('\''); };
        auto num = [](qint64 v) { return v ? QString::number(v) : QStringLiteral("null"); };
        return ins(QStringLiteral("insert into MATERIAL (NAME1, NAME2, LIEFERER_ID, KURZNAME_ID, VARBEZ, MATNUMMER, EKPREIS) "
                                  "values (%1, %2, %3, %4, %5, %6, 3.5)")
                       .arg(opt(name1), opt(name2), num(lieferer), num(kurzname), opt(varbez), opt(name1.left(3) + QStringLiteral("-nr"))));
    }

    static db::DataSet *ds(QObject *form, const char *name) { return form->findChild<db::DataSet *>(QString::fromLatin1(name)); }
    static qint64 idOf(db::DataSet *d, const char *field = "ID")
    {
        return d->fieldByName(QString::fromLatin1(field)).value().toLongLong();
    }
    static QStringList column(db::DataSet *d, const char *field, bool display = false)
    {
        QStringList out;
        d->fetchAll();
        const int c = d->fieldIndex(QString::fromLatin1(field));
        for (int r = 0; r < d->recordCount(); ++r)
            out << (display ? d->rowDisplayText(r, c) : d->rowValue(r, c).toString());
        return out;
    }
    static QStringList items(QComboBox *c)
    {
        QStringList out;
        for (int i = 0; i < c->count(); ++i)
            out << c->itemText(i);
        return out;
    }
    static void choose(QComboBox *c, const QString &text)
    {
        const int i = c->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        c->setCurrentIndex(i);
        emit c->activated(i);
    }
};
