#include "statement_p.h"

#include "database.h"
#include "decimal.h"
#include "transaction.h"

#include <QDate>
#include <QDateTime>
#include <cstring>
#include <utility>

using namespace Firebird;

namespace db {

namespace {
constexpr unsigned kCharsetNone = 0;
constexpr unsigned kCharsetOctets = 1;
constexpr unsigned kCharsetLatin1 = 21;

template <typename T>
T rd(const unsigned char *p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <typename T>
void wr(unsigned char *p, T v)
{
    std::memcpy(p, &v, sizeof v);
}

bool isTextType(unsigned t) { return t == SQL_TEXT || t == SQL_VARYING; }
} // namespace

Statement::Statement(Database *db) : m_db(db), m_dbAlive(db) {}

Statement::~Statement() { free(); }

void Statement::takePrepared(Statement &o)
{
    m_stmt = std::exchange(o.m_stmt, nullptr);
    m_inDeclared = std::exchange(o.m_inDeclared, nullptr);
    m_inMeta = std::exchange(o.m_inMeta, nullptr);
    m_outMeta = std::exchange(o.m_outMeta, nullptr);
    m_inBuf = std::move(o.m_inBuf);
    m_outBuf = std::move(o.m_outBuf);
    m_inOffsets = std::move(o.m_inOffsets);
    m_inShape = std::move(o.m_inShape);
    m_declared = std::move(o.m_declared);
    m_out = std::move(o.m_out);
    m_columns = std::move(o.m_columns);
    m_inCount = std::exchange(o.m_inCount, 0);
    m_cursorType = std::exchange(o.m_cursorType, false);
    m_ddl = std::exchange(o.m_ddl, false);
    m_sql = std::move(o.m_sql);
    o.m_inBuf.clear();
    o.m_outBuf.clear();
    o.m_inOffsets.clear();
    o.m_inShape.clear();
    o.m_declared.clear();
    o.m_out.clear();
    o.m_columns.clear();
    o.m_sql.clear();
}

void StatementPool::put(Statement &s)
{
    auto idle = std::make_unique<Statement>(s.m_db);
    idle->takePrepared(s);
    m_idle.push_back(std::move(idle));
    while (int(m_idle.size()) > kLimit)
        m_idle.pop_front();
}

bool StatementPool::take(const QString &sql, Statement &into)
{
    for (auto it = m_idle.end(); it != m_idle.begin();) {
        --it;
        if ((*it)->m_sql == sql) {
            into.takePrepared(**it);
            m_idle.erase(it);
            return true;
        }
    }
    return false;
}

void StatementPool::clear()
{
    // Statements freed one by one, newest first; each frees its engine handle.
    while (!m_idle.empty())
        m_idle.pop_back();
}

void Statement::free()
{
    closeCursor();
    // A select goes back to its attachment's pool for the next user of the same text.
    if (m_stmt && m_cursorType && !m_ddl && m_pooled) {
        Database *db = m_dbAlive.data();
        if (db && db == m_db && db->isOpen()) {
            db->statementPool()->put(*this);
            return;
        }
    }
    if (m_inMeta)
        m_inMeta->release();
    if (m_inDeclared)
        m_inDeclared->release();
    if (m_outMeta)
        m_outMeta->release();
    m_inMeta = m_inDeclared = m_outMeta = nullptr;
    if (m_stmt) {
        try {
            fb::Status st;
            m_stmt->free(&st);
        } catch (const FbException &) {
            m_stmt->release();
        }
        m_stmt = nullptr;
    }
    m_columns.clear();
    m_out.clear();
    m_inShape.clear();
    m_declared.clear();
    m_inOffsets.clear();
}

void Statement::prepare(Transaction &tr, const QString &sql)
{
    free();
    if (!m_db || !m_db->isOpen())
        throw DbError(DbError::Kind::Usage, QStringLiteral("Die Datenbank ist nicht geöffnet."));
    tr.ensureStarted();
    if (m_pooled && m_db->statementPool()->take(sql, *this))
        return;
    m_sql = sql;
    const QByteArray text = fb::toLatin1Checked(sql);
    fb::guarded(QString(), [&] {
        fb::Status st;
        m_stmt = m_db->handle()->prepare(&st, tr.handle(), 0, text.constData(), 3,
                                         IStatement::PREPARE_PREFETCH_METADATA);
        const unsigned type = m_stmt->getType(&st);
        m_cursorType = (type == isc_info_sql_stmt_select || type == isc_info_sql_stmt_select_for_upd);
        m_ddl = type == isc_info_sql_stmt_ddl;
        // Kept selects were compiled against the metadata this statement may change.
        if (m_ddl)
            m_db->statementPool()->clear();
        m_inDeclared = m_stmt->getInputMetadata(&st);
        m_inCount = int(m_inDeclared->getCount(&st));
        m_outMeta = m_stmt->getOutputMetadata(&st);
        const unsigned outCount = m_outMeta->getCount(&st);
        m_outBuf.assign(m_outMeta->getMessageLength(&st), 0);
        m_out.resize(outCount);
        m_columns.resize(int(outCount));
        for (unsigned i = 0; i < outCount; ++i) {
            OutSlot &o = m_out[i];
            o.offset = m_outMeta->getOffset(&st, i);
            o.nullOffset = m_outMeta->getNullOffset(&st, i);
            o.type = m_outMeta->getType(&st, i) & ~1u;
            o.length = m_outMeta->getLength(&st, i);
            o.scale = m_outMeta->getScale(&st, i);
            o.subType = m_outMeta->getSubType(&st, i);
            o.charSet = m_outMeta->getCharSet(&st, i);
            ColumnInfo &c = m_columns[int(i)];
            c.name = QString::fromUtf8(m_outMeta->getAlias(&st, i));
            c.field = QString::fromUtf8(m_outMeta->getField(&st, i));
            c.relation = QString::fromUtf8(m_outMeta->getRelation(&st, i));
            if (c.name.isEmpty())
                c.name = c.field;
            c.type = o.type;
            c.subType = o.subType;
            c.scale = o.scale;
            c.length = o.length;
            c.charSet = o.charSet;
            c.nullable = m_outMeta->isNullable(&st, i);
        }
        return 0;
    });
}

void Statement::buildInput(Transaction &tr, const QVector<QVariant> &params)
{
    if (params.size() != m_inCount)
        throw DbError(DbError::Kind::Usage,
                      QStringLiteral("Falsche Anzahl von Parametern (%1 statt %2).").arg(params.size()).arg(m_inCount),
                      m_sql);
    if (m_inCount == 0)
        return;
    fb::Status st;
    // The shape each value needs; the declared shape where the value fits it.
    if (m_declared.size() != size_t(m_inCount)) {
        m_declared.clear();
        for (int i = 0; i < m_inCount; ++i)
            m_declared.push_back({m_inDeclared->getType(&st, unsigned(i)) & ~1u, m_inDeclared->getLength(&st, unsigned(i)),
                                  m_inDeclared->getScale(&st, unsigned(i)), m_inDeclared->getCharSet(&st, unsigned(i)),
                                  m_inDeclared->getSubType(&st, unsigned(i))});
    }
    std::vector<InSlot> shape(m_inCount);
    std::vector<QByteArray> texts(m_inCount);
    for (int i = 0; i < m_inCount; ++i) {
        InSlot s = m_declared[size_t(i)];
        const unsigned dt = s.type;
        const QVariant &v = params[i];
        if (dt == SQL_NULL) {
            s = {SQL_VARYING, 1, 0, kCharsetLatin1, 0};
        }
        if (v.isNull() || !v.isValid()) {
            shape[i] = s;
            continue;
        }
        if (dt == SQL_BLOB) {
            shape[i] = s;
            continue;
        }
        const int tid = v.typeId();
        if (tid == qMetaTypeId<Decimal>()) {
            const Decimal d = v.value<Decimal>();
            s = {SQL_INT64, 8, -d.scale(), 0, 0};
        } else if (tid == QMetaType::Int || tid == QMetaType::LongLong || tid == QMetaType::UInt
                   || tid == QMetaType::Short || tid == QMetaType::UShort || tid == QMetaType::Long
                   || tid == QMetaType::Char || tid == QMetaType::SChar || tid == QMetaType::UChar) {
            s = {SQL_INT64, 8, 0, 0, 0};
        } else if (tid == QMetaType::Bool) {
            s = dt == SQL_BOOLEAN ? InSlot{SQL_BOOLEAN, 1, 0, 0, 0} : InSlot{SQL_INT64, 8, 0, 0, 0};
        } else if (tid == QMetaType::Double || tid == QMetaType::Float) {
            s = {SQL_DOUBLE, 8, 0, 0, 0};
        } else if (tid == QMetaType::QDate) {
            s = {SQL_TYPE_DATE, 4, 0, 0, 0};
        } else if (tid == QMetaType::QTime) {
            s = {SQL_TYPE_TIME, 4, 0, 0, 0};
        } else if (tid == QMetaType::QDateTime) {
            s = {SQL_TIMESTAMP, 8, 0, 0, 0};
        } else if (tid == QMetaType::QByteArray) {
            texts[i] = v.toByteArray();
            const unsigned cs = isTextType(dt) ? s.charSet : kCharsetOctets;
            const unsigned len = std::max<unsigned>(isTextType(dt) ? s.length : 1, unsigned(texts[i].size()));
            s = {SQL_VARYING, len, 0, cs, 0};
        } else {
            texts[i] = fb::toLatin1Checked(v.toString());
            const unsigned cs = isTextType(dt) && s.charSet != kCharsetOctets ? s.charSet : kCharsetLatin1;
            const unsigned len = std::max<unsigned>(isTextType(dt) ? s.length : 1, unsigned(texts[i].size()));
            s = {SQL_VARYING, std::max(len, 1u), 0, cs, 0};
        }
        shape[i] = s;
    }
    bool same = m_inMeta && shape.size() == m_inShape.size();
    for (size_t i = 0; same && i < shape.size(); ++i) {
        const InSlot &a = shape[i], &b = m_inShape[i];
        same = a.type == b.type && a.length == b.length && a.scale == b.scale && a.charSet == b.charSet
               && a.subType == b.subType;
    }
    if (!same) {
        if (m_inMeta)
            m_inMeta->release();
        m_inMeta = nullptr;
        IMetadataBuilder *b = m_inDeclared->getBuilder(&st);
        try {
            for (int i = 0; i < m_inCount; ++i) {
                const InSlot &s = shape[i];
                b->setType(&st, unsigned(i), s.type | 1u);
                b->setSubType(&st, unsigned(i), s.subType);
                b->setLength(&st, unsigned(i), s.length);
                b->setScale(&st, unsigned(i), s.scale);
                b->setCharSet(&st, unsigned(i), s.charSet);
            }
            m_inMeta = b->getMetadata(&st);
        } catch (...) {
            b->release();
            throw;
        }
        b->release();
        m_inShape = shape;
        m_inBuf.assign(m_inMeta->getMessageLength(&st), 0);
        m_inOffsets.clear();
        for (int i = 0; i < m_inCount; ++i)
            m_inOffsets.emplace_back(m_inMeta->getOffset(&st, unsigned(i)), m_inMeta->getNullOffset(&st, unsigned(i)));
    }
    unsigned char *buf = m_inBuf.data();
    for (int i = 0; i < m_inCount; ++i) {
        const unsigned off = m_inOffsets[size_t(i)].first;
        const unsigned noff = m_inOffsets[size_t(i)].second;
        const QVariant &v = params[i];
        if (v.isNull() || !v.isValid()) {
            wr<short>(buf + noff, -1);
            continue;
        }
        wr<short>(buf + noff, 0);
        const InSlot &s = shape[i];
        switch (s.type) {
        case SQL_BLOB: {
            QByteArray data = v.typeId() == QMetaType::QByteArray ? v.toByteArray() : fb::toLatin1Checked(v.toString());
            wr<ISC_QUAD>(buf + off, writeBlob(tr, data));
            break;
        }
        case SQL_INT64:
            if (v.typeId() == qMetaTypeId<Decimal>())
                wr<qint64>(buf + off, v.value<Decimal>().scaledValue());
            else
                wr<qint64>(buf + off, v.toLongLong());
            break;
        case SQL_BOOLEAN:
            wr<unsigned char>(buf + off, v.toBool() ? 1 : 0);
            break;
        case SQL_DOUBLE:
            wr<double>(buf + off, v.toDouble());
            break;
        case SQL_TYPE_DATE:
            wr<ISC_DATE>(buf + off, fb::encodeDate(v.toDate()));
            break;
        case SQL_TYPE_TIME:
            wr<ISC_TIME>(buf + off, fb::encodeTime(v.toTime()));
            break;
        case SQL_TIMESTAMP: {
            const QDateTime dt = v.toDateTime();
            if (!dt.isValid())
                throw DbError(DbError::Kind::Conversion, QStringLiteral("Ungültiges Datum."));
            ISC_TIMESTAMP ts{fb::encodeDate(dt.date()), fb::encodeTime(dt.time())};
            wr<ISC_TIMESTAMP>(buf + off, ts);
            break;
        }
        case SQL_VARYING: {
            const QByteArray &t = texts[i];
            wr<unsigned short>(buf + off, static_cast<unsigned short>(t.size()));
            std::memcpy(buf + off + 2, t.constData(), size_t(t.size()));
            break;
        }
        default:
            throw DbError(DbError::Kind::Usage, QStringLiteral("Nicht unterstützter Parametertyp."), m_sql);
        }
    }
}

ISC_QUAD Statement::writeBlob(Transaction &tr, const QByteArray &data)
{
    fb::Status st;
    ISC_QUAD id{};
    IBlob *blob = m_db->handle()->createBlob(&st, tr.handle(), &id, 0, nullptr);
    try {
        qsizetype pos = 0;
        while (pos < data.size()) {
            const unsigned chunk = unsigned(std::min<qsizetype>(32768, data.size() - pos));
            blob->putSegment(&st, chunk, data.constData() + pos);
            pos += chunk;
        }
        blob->close(&st);
    } catch (...) {
        blob->release();
        throw;
    }
    return id;
}

QVariant Statement::readBlob(ISC_QUAD id, bool text)
{
    fb::Status st;
    IBlob *blob = m_db->handle()->openBlob(&st, m_cursorTra, &id, 0, nullptr);
    QByteArray data;
    try {
        char seg[32768];
        for (;;) {
            unsigned got = 0;
            const int r = blob->getSegment(&st, sizeof seg, seg, &got);
            if (r == IStatus::RESULT_NO_DATA)
                break;
            data.append(seg, got);
        }
        blob->close(&st);
    } catch (...) {
        blob->release();
        throw;
    }
    if (text)
        return QString::fromLatin1(data);
    return data;
}

void Statement::decodeRow(QVector<QVariant> &row)
{
    const int n = int(m_out.size());
    row.resize(n);
    const unsigned char *buf = m_outBuf.data();
    for (int i = 0; i < n; ++i) {
        const OutSlot &o = m_out[size_t(i)];
        if (rd<short>(buf + o.nullOffset)) {
            row[i] = QVariant();
            continue;
        }
        const unsigned char *p = buf + o.offset;
        switch (o.type) {
        case SQL_VARYING: {
            const unsigned short len = rd<unsigned short>(p);
            if (o.charSet == kCharsetOctets)
                row[i] = QByteArray(reinterpret_cast<const char *>(p + 2), len);
            else
                row[i] = QString::fromLatin1(reinterpret_cast<const char *>(p + 2), len);
            break;
        }
        case SQL_TEXT: {
            if (o.charSet == kCharsetOctets) {
                row[i] = QByteArray(reinterpret_cast<const char *>(p), int(o.length));
            } else {
                int len = int(o.length);
                while (len > 0 && p[len - 1] == ' ')
                    --len;
                row[i] = QString::fromLatin1(reinterpret_cast<const char *>(p), len);
            }
            break;
        }
        case SQL_SHORT:
            row[i] = o.scale < 0 ? QVariant::fromValue(Decimal(rd<short>(p), -o.scale)) : QVariant(int(rd<short>(p)));
            break;
        case SQL_LONG:
            row[i] = o.scale < 0 ? QVariant::fromValue(Decimal(rd<qint32>(p), -o.scale)) : QVariant(int(rd<qint32>(p)));
            break;
        case SQL_INT64:
            row[i] = o.scale < 0 ? QVariant::fromValue(Decimal(rd<qint64>(p), -o.scale))
                                 : QVariant(qlonglong(rd<qint64>(p)));
            break;
        case SQL_FLOAT:
            row[i] = double(rd<float>(p));
            break;
        case SQL_DOUBLE:
        case SQL_D_FLOAT:
            row[i] = rd<double>(p);
            break;
        case SQL_BOOLEAN:
            row[i] = bool(*p);
            break;
        case SQL_TYPE_DATE:
            row[i] = fb::decodeDate(rd<ISC_DATE>(p));
            break;
        case SQL_TYPE_TIME:
            row[i] = fb::decodeTime(rd<ISC_TIME>(p));
            break;
        case SQL_TIMESTAMP: {
            const ISC_TIMESTAMP ts = rd<ISC_TIMESTAMP>(p);
            row[i] = fb::localDateTime(fb::decodeDate(ts.timestamp_date), fb::decodeTime(ts.timestamp_time));
            break;
        }
        case SQL_BLOB:
            row[i] = readBlob(rd<ISC_QUAD>(p), o.subType == 1 && o.charSet != kCharsetOctets);
            break;
        default:
            row[i] = QVariant();
        }
    }
}

qint64 Statement::execute(Transaction &tr, const QVector<QVariant> &params, QVector<QVariant> *row)
{
    if (!m_stmt)
        throw DbError(DbError::Kind::Usage, QStringLiteral("Die Abfrage ist nicht vorbereitet."));
    tr.ensureStarted();
    if (m_ddl)
        m_db->statementPool()->clear();
    return fb::guarded(QString(), [&]() -> qint64 {
        buildInput(tr, params);
        fb::Status &st = m_fetchStatus;
        st.init();
        const bool hasOut = !m_out.empty();
        m_cursorTra = tr.handle();
        m_stmt->execute(&st, tr.handle(), m_inCount ? m_inMeta : nullptr, m_inCount ? m_inBuf.data() : nullptr,
                        hasOut ? m_outMeta : nullptr, hasOut ? m_outBuf.data() : nullptr);
        if (hasOut && row)
            decodeRow(*row);
        return qint64(m_stmt->getAffectedRecords(&st));
    });
}

void Statement::open(Transaction &tr, const QVector<QVariant> &params)
{
    if (!m_stmt)
        throw DbError(DbError::Kind::Usage, QStringLiteral("Die Abfrage ist nicht vorbereitet."));
    closeCursor();
    tr.ensureStarted();
    fb::guarded(QString(), [&] {
        buildInput(tr, params);
        fb::Status st;
        m_cursorTra = tr.handle();
        m_rs = m_stmt->openCursor(&st, tr.handle(), m_inCount ? m_inMeta : nullptr,
                                  m_inCount ? m_inBuf.data() : nullptr, m_outMeta, 0);
        return 0;
    });
}

bool Statement::fetch(QVector<QVariant> &row)
{
    if (!m_rs)
        return false;
    return fb::guarded(QString(), [&] {
        m_fetchStatus.init();
        if (m_rs->fetchNext(&m_fetchStatus, m_outBuf.data()) == IStatus::RESULT_OK) {
            decodeRow(row);
            return true;
        }
        closeCursor();
        return false;
    });
}

void Statement::closeCursor()
{
    if (!m_rs)
        return;
    try {
        fb::Status st;
        m_rs->close(&st);
    } catch (const FbException &) {
        m_rs->release();
    }
    m_rs = nullptr;
}

} // namespace db
