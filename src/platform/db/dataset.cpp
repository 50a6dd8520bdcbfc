#include "dataset.h"

#include "database.h"
#include "dberror.h"
#include "decimal.h"
#include "query.h"
#include "sqltext.h"
#include "statement_p.h"
#include "transaction.h"

#include <QCollator>
#include <algorithm>
#include <numeric>

namespace db {

namespace {

int compareValues(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    const int ta = a.typeId(), tb = b.typeId();
    if (ta == qMetaTypeId<Decimal>() || tb == qMetaTypeId<Decimal>()) {
        auto dec = [](const QVariant &v) {
            if (v.typeId() == qMetaTypeId<Decimal>())
                return v.value<Decimal>();
            return Decimal::fromInt(v.toLongLong(), 0);
        };
        const Decimal x = dec(a), y = dec(b);
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    if (ta == QMetaType::QString || tb == QMetaType::QString) {
        static thread_local QCollator coll = [] {
            QCollator c{QLocale(QLocale::German, QLocale::Germany)};
            c.setCaseSensitivity(Qt::CaseInsensitive);
            c.setNumericMode(false);
            return c;
        }();
        return coll.compare(a.toString(), b.toString());
    }
    const QPartialOrdering o = QVariant::compare(a, b);
    if (o == QPartialOrdering::Less)
        return -1;
    if (o == QPartialOrdering::Greater)
        return 1;
    return 0;
}

bool matches(const QVariant &have, const QVariant &want, int options)
{
    if (want.isNull() || !want.isValid())
        return have.isNull();
    if (have.isNull())
        return false;
    const bool text = have.typeId() == QMetaType::QString || want.typeId() == QMetaType::QString;
    if (text || (options & (DataSet::LocateCaseInsensitive | DataSet::LocatePartialKey))) {
        const QString h = have.typeId() == qMetaTypeId<Decimal>() ? have.value<Decimal>().toString() : have.toString();
        const QString w = want.typeId() == qMetaTypeId<Decimal>() ? want.value<Decimal>().toString() : want.toString();
        const Qt::CaseSensitivity cs = (options & DataSet::LocateCaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
        if (options & DataSet::LocatePartialKey)
            return h.startsWith(w, cs);
        return h.compare(w, cs) == 0;
    }
    return compareValues(have, want) == 0;
}

// Keeps the flag true for the lifetime of a handler call so handlers cannot recurse into post().
struct EventGuard
{
    bool &flag;
    bool old;
    explicit EventGuard(bool &f) : flag(f), old(f) { flag = true; }
    ~EventGuard() { flag = old; }
};

} // namespace

DataSet::DataSet(QObject *parent) : QObject(parent) {}

DataSet::~DataSet()
{
    m_state = Inactive;
}

void DataSet::setDatabase(Database *db)
{
    if (db == m_db)
        return;
    if (isOpen())
        close();
    m_select.reset();
    m_preparedSelect.clear();
    m_modifyCache.clear();
    m_db = db;
}

void DataSet::setTransaction(Transaction *tr)
{
    if (tr == m_readTr)
        return;
    if (isOpen())
        close();
    if (m_readTr)
        disconnect(m_readTr, nullptr, this, nullptr);
    m_readTr = tr;
    if (m_readTr) {
        connect(m_readTr, &Transaction::aboutToEnd, this, &DataSet::onTransactionEnding);
        if (m_readTr->database() && m_readTr->database() != m_db)
            setDatabase(m_readTr->database());
    }
}

void DataSet::onTransactionEnding()
{
    // The cursor dies with its transaction: read what is left so the rows stay visible.
    if (m_select && m_select->cursorOpen()) {
        try {
            fetchAll();
        } catch (...) {
            m_select->closeCursor();
            m_allFetched = true;
        }
    }
}

void DataSet::setSelectSql(const QString &s)
{
    if (isOpen())
        close();
    m_selectSql = s;
}

void DataSet::setMacro(const QString &name, const QString &value) { m_macros.insert(name.toUpper(), value); }

void DataSet::setGenerator(const QString &generator, const QString &keyField)
{
    m_generator = generator;
    m_keyField = keyField.toUpper();
}

FieldProps &DataSet::props(const QString &fieldName) { return m_props[fieldName.toUpper()]; }

void DataSet::addCalculatedField(const QString &name, unsigned type)
{
    for (const Calc &c : m_calc)
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return;
    m_calc.push_back({name.toUpper(), type});
}

const FieldProps *DataSet::fieldProps(int index) const
{
    auto it = m_props.constFind(m_columns.at(index).name.toUpper());
    return it == m_props.constEnd() ? nullptr : &it.value();
}

void DataSet::checkOpen() const
{
    if (m_state == Inactive)
        throw DbError(DbError::Kind::Usage, QStringLiteral("Die Datenmenge ist nicht geöffnet."), m_selectSql);
}

void DataSet::checkAllowed(int kind) const
{
    if (m_allowed & kind)
        return;
    throw DbError(DbError::Kind::ReadOnly,
                  QStringLiteral("Die Daten können hier nicht geändert werden (nur Lesezugriff)."));
}

void DataSet::setState(State s)
{
    if (m_state == s)
        return;
    m_state = s;
    emit stateChanged(s);
}

void DataSet::open()
{
    if (isOpen())
        return;
    if (!m_readTr)
        throw DbError(DbError::Kind::Usage, QStringLiteral("Der Datenmenge ist keine Transaktion zugeordnet."));
    if (!m_db)
        m_db = m_readTr->database();
    const QString text = applyMacros(m_selectSql, m_macros);
    if (!m_select || text != m_preparedSelect || !m_select->isPrepared()) {
        const ParsedSql parsed = parseParams(text);
        if (!m_select) {
            m_select = std::make_unique<Statement>(m_db);
            // A dataset of a form opened again finds its select prepared.
            m_select->setPooled(true);
        }
        m_select->prepare(*m_readTr, parsed.sql);
        m_selectParams = parsed.paramNames;
        m_preparedSelect = text;
    }
    QVector<QVariant> values;
    for (const QString &n : m_selectParams) {
        auto it = m_params.constFind(n);
        if (it == m_params.constEnd())
            throw DbError(DbError::Kind::Usage, QStringLiteral("Parameter \u201E%1\u201C hat keinen Wert.").arg(n),
                          m_selectSql);
        values << it.value();
    }
    emit aboutToReset();
    m_rows.clear();
    m_columns = m_select->columns();
    m_dbColumns = m_columns.size();
    for (const Calc &c : m_calc) {
        ColumnInfo ci;
        ci.name = c.name;
        ci.type = c.type;
        ci.calculated = true;
        m_columns.push_back(ci);
    }
    m_cur = -1;
    m_insertRow = -1;
    m_buf.clear();
    m_old.clear();
    try {
        m_select->open(*m_readTr, values);
    } catch (...) {
        emit reset();
        throw;
    }
    m_allFetched = false;
    m_state = Browse;
    fetchRows(m_batch);
    emit reset();
    emit stateChanged(m_state);
    m_bof = true;
    m_eof = m_rows.isEmpty();
    setCurrent(m_rows.isEmpty() ? -1 : 0, false);
    if (afterOpen)
        afterOpen(*this);
    if (afterScroll)
        afterScroll(*this);
}

void DataSet::close()
{
    if (m_state == Inactive)
        return;
    if (beforeClose)
        beforeClose(*this);
    emit aboutToReset();
    if (m_select)
        m_select->closeCursor();
    m_rows.clear();
    m_buf.clear();
    m_old.clear();
    m_cur = -1;
    m_insertRow = -1;
    m_allFetched = true;
    m_eof = m_bof = true;
    m_state = Inactive;
    emit reset();
    emit stateChanged(m_state);
}

void DataSet::reopen()
{
    QVariant key;
    const int k = fieldIndex(m_keyField);
    if (isOpen() && k >= 0 && m_cur >= 0)
        key = fieldValue(k);
    reopenAt(key);
}

bool DataSet::reopenAt(const QVariant &keyValue)
{
    if (isEditing())
        cancel();
    close();
    open();
    if (keyValue.isNull() || !keyValue.isValid())
        return false;
    return locate(m_keyField, keyValue);
}

void DataSet::calcRow(Row &row)
{
    if (m_calc.isEmpty())
        return;
    row.resize(m_columns.size());
    if (!onCalcFields)
        return;
    Row *old = m_calcTarget;
    m_calcTarget = &row;
    try {
        onCalcFields(*this);
    } catch (...) {
        m_calcTarget = old;
        throw;
    }
    m_calcTarget = old;
}

int DataSet::fetchRows(int n)
{
    if (m_allFetched || !m_select)
        return 0;
    int got = 0;
    Row row;
    QVector<Row> batch;
    batch.reserve(n);
    while (got < n) {
        if (!m_select->fetch(row)) {
            m_allFetched = true;
            break;
        }
        calcRow(row);
        batch.push_back(std::move(row));
        row = Row();
        ++got;
    }
    if (got > 0) {
        // A row being inserted stays last-but-not-fetched: fetched rows go before the end.
        const int first = m_rows.size();
        emit aboutToAppendRows(first, first + got - 1);
        for (Row &r : batch)
            m_rows.push_back(std::move(r));
        emit rowsAppended();
    }
    return got;
}

int DataSet::fetchMore(int n)
{
    checkOpen();
    return fetchRows(n > 0 ? n : m_batch);
}

void DataSet::fetchAll()
{
    if (!isOpen())
        return;
    while (!m_allFetched)
        fetchRows(std::max(m_batch, 1024));
}

void DataSet::setCurrent(int row, bool fireEvents)
{
    const bool changed = row != m_cur;
    if (fireEvents && changed && beforeScroll)
        beforeScroll(*this);
    m_cur = row;
    if (changed)
        emit currentChanged(row);
    if (fireEvents && changed && afterScroll)
        afterScroll(*this);
}

bool DataSet::moveTo(int row)
{
    checkOpen();
    if (isEditing())
        post();
    if (row < 0) {
        m_bof = true;
        m_eof = m_rows.isEmpty();
        return false;
    }
    while (row >= m_rows.size() && !m_allFetched)
        fetchRows(std::max(m_batch, int(row - m_rows.size() + 1)));
    if (row >= m_rows.size()) {
        m_eof = true;
        m_bof = m_rows.isEmpty();
        return false;
    }
    m_bof = row == 0 && false;
    m_eof = false;
    setCurrent(row);
    return true;
}

void DataSet::first()
{
    checkOpen();
    moveTo(0);
    m_bof = true;
    m_eof = m_rows.isEmpty();
}

void DataSet::last()
{
    checkOpen();
    fetchAll();
    if (!m_rows.isEmpty())
        moveTo(m_rows.size() - 1);
    m_eof = true;
}

void DataSet::next()
{
    checkOpen();
    if (m_cur + 1 < m_rows.size() || !m_allFetched) {
        if (moveTo(m_cur + 1))
            return;
    }
    if (isEditing())
        post();
    m_eof = true;
}

void DataSet::prior()
{
    checkOpen();
    if (m_cur > 0) {
        moveTo(m_cur - 1);
        return;
    }
    if (isEditing())
        post();
    m_bof = true;
}

int DataSet::fieldIndex(const QString &name) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

Field DataSet::fieldByName(const QString &name)
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw DbError(DbError::Kind::Usage, QStringLiteral("Feld \u201E%1\u201C nicht gefunden.").arg(name),
                      m_selectSql);
    return Field(this, i);
}

QStringList DataSet::fieldNames() const
{
    QStringList r;
    for (const ColumnInfo &c : m_columns)
        r << c.name;
    return r;
}

QVariant DataSet::rowValue(int row, int column) const
{
    if (row < 0 || row >= m_rows.size())
        return QVariant();
    if ((m_state == Edit || m_state == Insert) && row == m_cur)
        return column < m_buf.size() ? m_buf[column] : QVariant();
    const Row &r = m_rows[row];
    return column < r.size() ? r[column] : QVariant();
}

QString DataSet::rowDisplayText(int row, int column) const
{
    const QVariant v = rowValue(row, column);
    const FieldProps *p = fieldProps(column);
    if (p && p->getText)
        return p->getText(v);
    return formatValue(v);
}

QVariant DataSet::fieldValue(int index) const
{
    if (m_calcTarget)
        return index < m_calcTarget->size() ? (*m_calcTarget)[index] : QVariant();
    if (m_state == Edit || m_state == Insert)
        return index >= 0 && index < m_buf.size() ? m_buf[index] : QVariant();
    if (m_cur < 0 || m_cur >= m_rows.size())
        return QVariant();
    const Row &r = m_rows[m_cur];
    return index >= 0 && index < r.size() ? r[index] : QVariant();
}

QVariant DataSet::oldFieldValue(int index) const
{
    if (m_state == Edit)
        return index < m_old.size() ? m_old[index] : QVariant();
    if (m_state == Insert)
        return QVariant();
    return fieldValue(index);
}

void DataSet::setFieldValue(int index, const QVariant &value)
{
    if (index < 0 || index >= m_columns.size())
        throw DbError(DbError::Kind::Usage, QStringLiteral("Ungültiger Feldindex."));
    QVariant v = value;
    if (m_emptyAsNull && v.typeId() == QMetaType::QString && v.toString().isEmpty())
        v = QVariant();
    if (m_calcTarget) {
        if (index < m_calcTarget->size())
            (*m_calcTarget)[index] = v;
        return;
    }
    checkOpen();
    if (m_state == Browse) {
        if (m_columns[index].calculated && m_cur >= 0) {
            m_rows[m_cur][index] = v;
            return;
        }
        edit();
    }
    if (index >= m_buf.size())
        m_buf.resize(m_columns.size());
    m_buf[index] = v;
    emit fieldChanged(index);
    if (m_cur >= 0)
        emit rowChanged(m_cur);
}

void DataSet::append()
{
    checkOpen();
    checkAllowed(ukInsert);
    if (isEditing())
        post();
    const int row = m_rows.isEmpty() ? 0 : std::min(m_cur + 1, int(m_rows.size()));
    emit aboutToInsertRow(row);
    m_rows.insert(row, Row(m_columns.size()));
    m_insertRow = row;
    m_buf = Row(m_columns.size());
    m_old.clear();
    m_cur = row;
    m_state = Insert;
    emit rowInserted(row);
    emit currentChanged(row);
    emit stateChanged(m_state);
    if (onNewRecord) {
        try {
            onNewRecord(*this);
        } catch (...) {
            cancel();
            throw;
        }
    }
    emit rowChanged(row);
}

void DataSet::edit()
{
    checkOpen();
    if (isEditing())
        return;
    checkAllowed(ukModify);
    if (m_cur < 0 || m_cur >= m_rows.size())
        throw DbError(DbError::Kind::Usage, QStringLiteral("Es ist kein Datensatz ausgewählt."));
    if (beforeEdit)
        beforeEdit(*this);
    m_buf = m_rows[m_cur];
    m_old = m_buf;
    setState(Edit);
}

void DataSet::cancel()
{
    if (!isEditing())
        return;
    if (m_state == Insert && m_insertRow >= 0 && m_insertRow < m_rows.size()) {
        const int row = m_insertRow;
        emit aboutToRemoveRow(row);
        m_rows.removeAt(row);
        m_insertRow = -1;
        m_buf.clear();
        m_state = Browse;
        emit rowRemoved(row);
        int next = row < m_rows.size() ? row : int(m_rows.size()) - 1;
        m_cur = -2; // force the change notification
        setCurrent(next, false);
    } else {
        m_buf.clear();
        m_old.clear();
        m_state = Browse;
        if (m_cur >= 0)
            emit rowChanged(m_cur);
    }
    emit stateChanged(m_state);
    if (afterCancel)
        afterCancel(*this);
}

QVariant DataSet::paramValueFor(const QString &name, const Row &values, const Row &old) const
{
    if (name.startsWith(QLatin1String("OLD_"))) {
        const int i = fieldIndex(name.mid(4));
        if (i >= 0)
            return i < old.size() ? old[i] : QVariant();
    }
    const int i = fieldIndex(name);
    if (i >= 0)
        return i < values.size() ? values[i] : QVariant();
    auto it = m_params.constFind(name);
    if (it != m_params.constEnd())
        return it.value();
    if (name.startsWith(QLatin1String("NEW_"))) {
        const int j = fieldIndex(name.mid(4));
        if (j >= 0)
            return j < values.size() ? values[j] : QVariant();
    }
    throw DbError(DbError::Kind::Usage, QStringLiteral("Parameter \u201E%1\u201C hat keinen Wert.").arg(name));
}

void DataSet::executeModify(const QString &sql, const Row &values, const Row &old, bool checkAffected)
{
    Transaction *tr = updateTransaction();
    if (!tr)
        throw DbError(DbError::Kind::Usage, QStringLiteral("Der Datenmenge ist keine Transaktion zugeordnet."));
    const QString text = applyMacros(sql, m_macros);
    std::shared_ptr<Statement> stmt = m_modifyCache.value(text);
    if (!stmt || !stmt->isPrepared()) {
        const ParsedSql parsed = parseParams(text);
        stmt = std::make_shared<Statement>(m_db);
        stmt->prepare(*tr, parsed.sql);
        m_modifyCache.insert(text, stmt);
        m_modifyParams.insert(text, parsed.paramNames);
    }
    QVector<QVariant> params;
    for (const QString &n : m_modifyParams.value(text))
        params << paramValueFor(n, values, old);
    const qint64 n = stmt->execute(*tr, params);
    if (checkAffected && n == 0)
        throw DbError(DbError::Kind::UpdateConflict,
                      QStringLiteral("Der Datensatz wurde inzwischen von einem anderen Benutzer geändert oder "
                                     "gelöscht. Ihre Eingaben bleiben erhalten; bitte laden Sie den Datensatz "
                                     "neu und speichern Sie erneut."),
                      QStringLiteral("update affected no row: ") + text);
}

void DataSet::commitWrite()
{
    if (!m_autoCommit)
        return;
    Transaction *tr = updateTransaction();
    if (tr && tr->isActive())
        tr->commit();
}

void DataSet::rollbackWrite()
{
    if (!m_autoCommit)
        return;
    Transaction *tr = updateTransaction();
    if (tr && tr->isActive()) {
        try {
            tr->rollback();
        } catch (...) {
        }
    }
}

void DataSet::post()
{
    checkOpen();
    if (!isEditing())
        return;
    if (m_inEvent)
        throw DbError(DbError::Kind::Usage, QStringLiteral("Speichern während des Speicherns ist nicht möglich."));
    emit aboutToPost();
    {
        EventGuard g(m_inEvent);
        if (beforePost) {
            try {
                beforePost(*this);
            } catch (const Abort &) {
                return;
            }
        }
    }
    const bool inserting = m_state == Insert;
    if (inserting && !m_generator.isEmpty()) {
        const int k = fieldIndex(m_keyField);
        if (k >= 0 && m_buf.value(k).isNull()) {
            Transaction *tr = updateTransaction();
            tr->ensureStarted();
            m_buf[k] = Query::selectValue(*tr, QStringLiteral("select gen_id(%1, 1) from rdb$database").arg(m_generator));
        }
    }
    const QString &sql = inserting ? m_insertSql : m_updateSql;
    if (sql.trimmed().isEmpty())
        throw DbError(DbError::Kind::ReadOnly,
                      QStringLiteral("Die Daten können hier nicht gespeichert werden (keine %1-Anweisung).")
                          .arg(inserting ? QStringLiteral("Einfüge") : QStringLiteral("Änderungs")));
    try {
        const bool check = !inserting && sql.trimmed().startsWith(QLatin1String("update"), Qt::CaseInsensitive);
        executeModify(sql, m_buf, m_old, check);
        commitWrite();
    } catch (...) {
        // The typed values stay in the buffer: the user can correct and save again.
        rollbackWrite();
        throw;
    }
    Row saved = m_buf;
    if (!m_refreshSql.trimmed().isEmpty()) {
        try {
            Query q(m_db, m_readTr);
            q.setSql(applyMacros(m_refreshSql, m_macros));
            for (const QString &n : q.paramNames())
                q.setParam(n, paramValueFor(n, saved, m_old));
            q.open();
            if (!q.eof()) {
                for (int i = 0; i < q.fieldCount(); ++i) {
                    const int j = fieldIndex(q.columns()[i].name);
                    if (j >= 0)
                        saved[j] = q.value(i);
                }
            }
        } catch (const DbError &) {
            // The row is saved; a failed re-read only leaves the typed values on screen.
        }
    }
    calcRow(saved);
    m_rows[m_cur] = saved;
    m_buf.clear();
    m_old.clear();
    m_insertRow = -1;
    m_state = Browse;
    emit rowChanged(m_cur);
    emit stateChanged(m_state);
    if (afterPost)
        afterPost(*this);
}

void DataSet::del()
{
    checkOpen();
    checkAllowed(ukDelete);
    if (m_state == Insert) {
        cancel();
        return;
    }
    if (m_state == Edit)
        cancel();
    if (m_cur < 0 || m_cur >= m_rows.size())
        return;
    if (beforeDelete) {
        try {
            beforeDelete(*this);
        } catch (const Abort &) {
            return;
        }
    }
    if (m_deleteSql.trimmed().isEmpty())
        throw DbError(DbError::Kind::ReadOnly, QStringLiteral("Datensätze können hier nicht gelöscht werden."));
    const Row row = m_rows[m_cur];
    try {
        executeModify(m_deleteSql, row, row, false);
        commitWrite();
    } catch (...) {
        rollbackWrite();
        throw;
    }
    const int at = m_cur;
    emit aboutToRemoveRow(at);
    m_rows.removeAt(at);
    emit rowRemoved(at);
    if (at >= m_rows.size() && !m_allFetched)
        fetchRows(m_batch);
    const int next = at < m_rows.size() ? at : int(m_rows.size()) - 1;
    m_cur = -2;
    setCurrent(next);
    m_eof = m_rows.isEmpty();
    if (afterDelete)
        afterDelete(*this);
}

void DataSet::refresh()
{
    checkOpen();
    if (isEditing())
        return;
    if (m_refreshSql.trimmed().isEmpty() || m_cur < 0) {
        reopen();
        return;
    }
    Row row = m_rows[m_cur];
    Query q(m_db, m_readTr);
    q.setSql(applyMacros(m_refreshSql, m_macros));
    for (const QString &n : q.paramNames())
        q.setParam(n, paramValueFor(n, row, row));
    q.open();
    if (q.eof()) {
        // Deleted by someone else meanwhile.
        const int at = m_cur;
        emit aboutToRemoveRow(at);
        m_rows.removeAt(at);
        emit rowRemoved(at);
        m_cur = -2;
        setCurrent(at < m_rows.size() ? at : int(m_rows.size()) - 1);
        return;
    }
    for (int i = 0; i < q.fieldCount(); ++i) {
        const int j = fieldIndex(q.columns()[i].name);
        if (j >= 0)
            row[j] = q.value(i);
    }
    calcRow(row);
    m_rows[m_cur] = row;
    emit rowChanged(m_cur);
}

bool DataSet::locate(const QString &field, const QVariant &value, int options)
{
    return locate(QStringList{field}, QVariantList{value}, options);
}

bool DataSet::locate(const QStringList &fields, const QVariantList &values, int options)
{
    checkOpen();
    QVector<int> idx;
    for (const QString &f : fields) {
        const int i = fieldIndex(f);
        if (i < 0)
            throw DbError(DbError::Kind::Usage, QStringLiteral("Feld \u201E%1\u201C nicht gefunden.").arg(f));
        idx << i;
    }
    auto rowMatches = [&](const Row &r) {
        for (int k = 0; k < idx.size(); ++k)
            if (!matches(r.value(idx[k]), values.value(k), options))
                return false;
        return true;
    };
    int i = 0;
    for (;;) {
        for (; i < m_rows.size(); ++i) {
            if (rowMatches(m_rows[i])) {
                if (isEditing())
                    post();
                m_bof = m_eof = false;
                setCurrent(i);
                return true;
            }
        }
        if (m_allFetched)
            return false;
        fetchRows(std::max(m_batch, 1024));
    }
}

void DataSet::sort(const QStringList &fields, const QList<bool> &ascending)
{
    checkOpen();
    if (isEditing())
        post();
    fetchAll();
    QVector<int> idx;
    for (const QString &f : fields) {
        const int i = fieldIndex(f);
        if (i < 0)
            throw DbError(DbError::Kind::Usage, QStringLiteral("Feld \u201E%1\u201C nicht gefunden.").arg(f));
        idx << i;
    }
    std::vector<int> perm(m_rows.size());
    std::iota(perm.begin(), perm.end(), 0);
    std::stable_sort(perm.begin(), perm.end(), [&](int a, int b) {
        for (int k = 0; k < idx.size(); ++k) {
            const int c = compareValues(m_rows[a][idx[k]], m_rows[b][idx[k]]);
            if (c != 0)
                return ascending.value(k, true) ? c < 0 : c > 0;
        }
        return false;
    });
    emit aboutToReset();
    QVector<Row> sorted;
    sorted.reserve(m_rows.size());
    int newCur = -1;
    for (int k = 0; k < int(perm.size()); ++k) {
        if (perm[size_t(k)] == m_cur)
            newCur = k;
        sorted.push_back(std::move(m_rows[perm[size_t(k)]]));
    }
    m_rows = std::move(sorted);
    m_cur = newCur;
    emit reset();
    emit currentChanged(m_cur);
}

} // namespace db
