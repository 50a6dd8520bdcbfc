#include "uzaehlringe.h"

#include "host/recordware/datenmodul.h"
#include "host/shellware/systools.h"
#include "platform/db/dberror.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"

#include <QCoreApplication>
#include <QPointer>
#include <stdexcept>

namespace {
QPointer<TDMZaehlringe> g_instance;

void releaseAtExit() { TDMZaehlringe::release(); }
} // namespace

TDMZaehlringe::TDMZaehlringe(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("dmZaehlringe"));
    m_read = new db::Transaction(nullptr, db::Transaction::readParams(), this);
    m_read->setObjectName(QStringLiteral("TransRead"));
    m_write = new db::Transaction(nullptr, db::Transaction::writeParams(), this);
    m_write->setObjectName(QStringLiteral("TransWrite"));
    m_qryNewNumber = new db::Query(nullptr, m_write, this);
    m_qryNewNumber->setObjectName(QStringLiteral("qryNewNumber"));
    m_qryNewNumber->setSql(QStringLiteral(
        "SELECT NR FROM SP_GET_NUMMER(:IDENT, :SUB_IDENT, :DATUM, :ANR, :SELF_ID, :FORCE_NEW)"));
    Dm::DatenModul()->SetupConnections(this, nullptr);
}

TDMZaehlringe::~TDMZaehlringe()
{
    try {
        if (m_read->isActive())
            m_read->commit();
    } catch (...) {
        Systools::HandleException(QStringLiteral("uZaehlringe.TdmZaehlringe.Destroy"), nullptr, true);
    }
    try {
        if (m_write->isActive())
            m_write->rollback();
    } catch (...) {
    }
}

TDMZaehlringe *TDMZaehlringe::instance()
{
    if (!g_instance) {
        g_instance = new TDMZaehlringe(nullptr);
        static bool routine = false;
        if (!routine && QCoreApplication::instance()) {
            qAddPostRoutine(releaseAtExit);
            routine = true;
        }
    }
    return g_instance;
}

void TDMZaehlringe::release()
{
    delete g_instance.data();
    g_instance = nullptr;
}

bool TDMZaehlringe::exists() { return !g_instance.isNull(); }

QString TDMZaehlringe::GetNumber(const QString &ident, bool useSubIdent, const QDateTime &datum, int subIdent,
                                 const QString &aNr, int selfId, bool forceNew)
{
    QString result;
    try {
        if (ident.trimmed().isEmpty())
            throw std::runtime_error(QStringLiteral("Es wurde kein Ident übergeben!").toStdString());
        try {
            // The data module may have been created before the host opened the connection.
            if (!m_write->database())
                Dm::DatenModul()->SetupConnections(this, nullptr);
            m_write->start();
            m_qryNewNumber->setParam(QStringLiteral("IDENT"), ident);
            // A date at or before 30.12.1899 (the empty date of older data) counts as no date.
            const bool hasDate = datum.isValid() && datum.date() > QDate(1899, 12, 30);
            m_qryNewNumber->setParam(QStringLiteral("DATUM"), hasDate ? QVariant(datum.date()) : QVariant());
            m_qryNewNumber->setParam(QStringLiteral("SUB_IDENT"), useSubIdent ? QVariant(subIdent) : QVariant());
            if (!aNr.trimmed().isEmpty()) {
                m_qryNewNumber->setParam(QStringLiteral("ANR"), aNr);
                m_qryNewNumber->setParam(QStringLiteral("SELF_ID"), selfId);
                m_qryNewNumber->setParam(QStringLiteral("FORCE_NEW"), forceNew ? 1 : 0);
            } else {
                m_qryNewNumber->setParam(QStringLiteral("ANR"), QVariant());
                m_qryNewNumber->setParam(QStringLiteral("SELF_ID"), QVariant());
                m_qryNewNumber->setParam(QStringLiteral("FORCE_NEW"), QVariant());
            }
            m_qryNewNumber->open();
            if (!m_qryNewNumber->eof())
                result = m_qryNewNumber->value(0).toString();
            m_qryNewNumber->close();
            m_write->commit();
        } catch (...) {
            try {
                m_qryNewNumber->close();
                m_write->rollback();
            } catch (...) {
            }
            Systools::HandleException(QStringLiteral("uZaehlringe.GetNumber()"), nullptr, true);
            throw;
        }
    } catch (...) {
        Systools::HandleException(QStringLiteral("uZaehlringe.TdmZaehlringe.GetNumber"), this, false);
        result.clear();
    }
    return result;
}
