#include "query.h"

#include "database.h"
#include "sqltext.h"
#include "statement_p.h"
#include "transaction.h"

namespace db {

Query::Query(Database *db, Transaction *tr, QObject *parent) : QObject(parent), m_db(db), m_tr(tr)
{
    if (!m_db && m_tr)
        m_db = m_tr->database();
}

Query::~Query() = default;

void Query::setDatabase(Database *db)
{
    if (db == m_db)
        return;
    close();
    m_stmt.reset();
    m_preparedText.clear();
    m_db = db;
}

void Query::setTransaction(Transaction *tr)
{
    close();
    m_tr = tr;
    if (tr && tr->database() && tr->database() != m_db)
        setDatabase(tr->database());
}

void Query::setSql(const QString &sql)
{
    close();
    m_sql = sql;
}

void Query::setMacro(const QString &name, const QString &value)
{
    close();
    m_macros.insert(name.toUpper(), value);
}

void Query::setParam(const QString &name, const QVariant &value) { m_params.insert(name.toUpper(), value); }

void Query::prepareIfNeeded()
{
    if (!m_tr)
        throw DbError(DbError::Kind::Usage, QStringLiteral("Der Abfrage ist keine Transaktion zugeordnet."), m_sql);
    if (!m_db)
        m_db = m_tr->database();
    const QString text = applyMacros(m_sql, m_macros);
    if (m_stmt && m_stmt->isPrepared() && text == m_preparedText)
        return;
    const ParsedSql parsed = parseParams(text);
    if (!m_stmt)
        m_stmt = std::make_unique<Statement>(m_db);
    m_stmt->setPooled(m_reuse);
    m_stmt->prepare(*m_tr, parsed.sql);
    m_positional = parsed.paramNames;
    m_preparedText = text;
}

QStringList Query::paramNames()
{
    prepareIfNeeded();
    QStringList r;
    for (const QString &n : m_positional)
        if (!r.contains(n))
            r << n;
    return r;
}

QVector<QVariant> Query::boundValues() const
{
    QVector<QVariant> v;
    v.reserve(m_positional.size());
    for (const QString &n : m_positional) {
        auto it = m_params.constFind(n);
        if (it == m_params.constEnd())
            throw DbError(DbError::Kind::Usage, QStringLiteral("Parameter \u201E%1\u201C hat keinen Wert.").arg(n), m_sql);
        v << it.value();
    }
    return v;
}

qint64 Query::exec()
{
    close();
    prepareIfNeeded();
    if (m_stmt->returnsRows()) {
        open();
        return 0;
    }
    m_row.clear();
    const qint64 n = m_stmt->execute(*m_tr, boundValues(), &m_row);
    m_eof = m_row.isEmpty();
    return n;
}

void Query::open()
{
    close();
    prepareIfNeeded();
    m_stmt->open(*m_tr, boundValues());
    m_open = true;
    m_eof = !m_stmt->fetch(m_row);
}

bool Query::next()
{
    if (!m_open || m_eof)
        return false;
    m_eof = !m_stmt->fetch(m_row);
    return !m_eof;
}

void Query::close()
{
    if (m_stmt)
        m_stmt->closeCursor();
    m_open = false;
    m_eof = true;
}

int Query::fieldCount() const { return m_stmt ? m_stmt->columns().size() : 0; }

const QVector<ColumnInfo> &Query::columns() const
{
    static const QVector<ColumnInfo> none;
    return m_stmt ? m_stmt->columns() : none;
}

int Query::fieldIndex(const QString &name) const
{
    const QVector<ColumnInfo> &cols = columns();
    for (int i = 0; i < cols.size(); ++i)
        if (cols[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

Field Query::field(const QString &name)
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw DbError(DbError::Kind::Usage, QStringLiteral("Feld \u201E%1\u201C nicht gefunden.").arg(name), m_sql);
    return Field(this, i);
}

QVariant Query::fieldValue(int index) const
{
    if (index < 0 || index >= m_row.size())
        return QVariant();
    return m_row[index];
}

void Query::setFieldValue(int, const QVariant &)
{
    throw DbError(DbError::Kind::ReadOnly, QStringLiteral("Abfrageergebnisse können nicht geändert werden."));
}

const ColumnInfo &Query::columnInfo(int index) const { return columns().at(index); }

QVariant Query::selectValue(Transaction &tr, const QString &sql, const QVariantHash &params)
{
    Query q(tr.database(), &tr);
    q.setSql(sql);
    for (auto it = params.begin(); it != params.end(); ++it)
        q.setParam(it.key(), it.value());
    q.open();
    if (q.eof())
        return QVariant(QMetaType(QMetaType::UnknownType));
    QVariant v = q.value(0);
    q.close();
    return v;
}

} // namespace db
