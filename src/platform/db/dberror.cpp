#include "dberror.h"

namespace db {

DbError::DbError(Kind kind, const QString &userMessage, const QString &engineText, QVector<qint64> codes)
    : std::runtime_error(std::string()), m_kind(kind), m_user(userMessage), m_engine(engineText),
      m_codes(std::move(codes))
{
    m_what = (m_engine.isEmpty() ? m_user : m_user + QStringLiteral(" [") + m_engine + QLatin1Char(']')).toStdString();
    static_cast<std::runtime_error &>(*this) = std::runtime_error(m_what);
}

} // namespace db
