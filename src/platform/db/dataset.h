#pragma once
// An editable, scrollable set of rows: select, insert, update, delete and refresh statements with
// ":NAME" / ":OLD_NAME" parameters, the browse/edit/insert states, events, Locate, in-memory sort,
// allowed update kinds, commit after post and incremental fetching (a list of 100 000 rows shows
// its first rows without reading the rest).

#include "db_global.h"
#include "field.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

namespace db {

class Database;
class Transaction;
class Statement;

class FD_DB_EXPORT DataSet : public QObject, public FieldOwner
{
    Q_OBJECT
public:
    enum State { Inactive, Browse, Edit, Insert };
    Q_ENUM(State)
    enum UpdateKind { ukModify = 1, ukInsert = 2, ukDelete = 4, ukAll = 7 };
    enum LocateOption { LocateCaseInsensitive = 1, LocatePartialKey = 2 };

    using Handler = std::function<void(DataSet &)>;

    explicit DataSet(QObject *parent = nullptr);
    ~DataSet() override;

    // Connection: reads through `transaction`, writes through `updateTransaction` (the read
    // transaction when none is set).
    void setDatabase(Database *db);
    Database *database() const { return m_db; }
    void setTransaction(Transaction *tr);
    Transaction *transaction() const { return m_readTr; }
    void setUpdateTransaction(Transaction *tr) { m_writeTr = tr; }
    Transaction *updateTransaction() const { return m_writeTr ? m_writeTr : m_readTr; }

    void setSelectSql(const QString &s);
    void setInsertSql(const QString &s) { m_insertSql = s; }
    void setUpdateSql(const QString &s) { m_updateSql = s; }
    void setDeleteSql(const QString &s) { m_deleteSql = s; }
    void setRefreshSql(const QString &s) { m_refreshSql = s; }
    const QString &selectSql() const { return m_selectSql; }
    void setMacro(const QString &name, const QString &value);
    QString macro(const QString &name) const { return m_macros.value(name.toUpper()); }
    void setParam(const QString &name, const QVariant &value) { m_params.insert(name.toUpper(), value); }
    QVariant param(const QString &name) const { return m_params.value(name.toUpper()); }

    // The key field whose value a new record draws from `generator` before post when it is NULL.
    void setGenerator(const QString &generator, const QString &keyField = QStringLiteral("ID"));
    void setKeyField(const QString &f) { m_keyField = f.toUpper(); }
    const QString &keyField() const { return m_keyField; }
    void setAutoCommit(bool on) { m_autoCommit = on; }
    bool autoCommit() const { return m_autoCommit; }
    void setAllowedUpdateKinds(int kinds) { m_allowed = kinds; }
    int allowedUpdateKinds() const { return m_allowed; }
    // Empty texts are stored as NULL unless switched off.
    void setEmptyStringAsNull(bool on) { m_emptyAsNull = on; }
    void setFetchBatch(int n) { m_batch = std::max(1, n); }
    int fetchBatch() const { return m_batch; }

    // Properties of a field by name; they survive closing and reopening.
    FieldProps &props(const QString &fieldName);
    void addCalculatedField(const QString &name, unsigned type = 0);

    // Opening and closing
    void open();
    void close();
    bool isOpen() const { return m_state != Inactive; }
    State state() const { return m_state; }
    bool isEditing() const { return m_state == Edit || m_state == Insert; }
    // Closes, opens and moves to the row with the same key (or the first row).
    void reopen();
    // Re-reads the current row with the refresh statement (or reopens without one).
    void refresh();

    // Rows read so far; more arrive through fetchMore() or by moving past them.
    int recordCount() const { return m_rows.size(); }
    bool allFetched() const { return m_allFetched; }
    int fetchMore(int n = 0);
    void fetchAll();
    bool isEmpty() const { return m_rows.isEmpty() && m_allFetched; }

    int recNo() const { return m_cur; }
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    void first();
    void last();
    void next();
    void prior();
    // Moves to a row index (fetching as needed); false when there is no such row.
    bool moveTo(int row);

    bool locate(const QString &field, const QVariant &value, int options = 0);
    bool locate(const QStringList &fields, const QVariantList &values, int options = 0);
    // Sorts the rows in memory (all rows are read first). Stays on the same record.
    void sort(const QStringList &fields, const QList<bool> &ascending = {});

    // Fields
    int fieldCount() const { return m_columns.size(); }
    int fieldIndex(const QString &name) const;
    bool hasField(const QString &name) const { return fieldIndex(name) >= 0; }
    Field fieldByName(const QString &name);
    Field field(int index) { return Field(this, index); }
    QStringList fieldNames() const;
    const QVector<ColumnInfo> &columns() const { return m_columns; }
    QVariant rowValue(int row, int column) const;
    QString rowDisplayText(int row, int column) const;

    // Editing
    void append();
    void edit();
    void post();
    void cancel();
    // Deletes the current row; a beforeDelete handler that throws Abort turns it into nothing
    // (a soft delete that posted its own change).
    void del();
    // Runs the select once more and stays on `keyValue` if found.
    bool reopenAt(const QVariant &keyValue);

    // Events
    Handler onNewRecord, beforePost, afterPost, beforeDelete, afterDelete, afterScroll, beforeScroll,
        afterOpen, beforeClose, onCalcFields, beforeEdit, afterCancel;

    // FieldOwner
    QVariant fieldValue(int index) const override;
    void setFieldValue(int index, const QVariant &value) override;
    QVariant oldFieldValue(int index) const override;
    const ColumnInfo &columnInfo(int index) const override { return m_columns.at(index); }
    const FieldProps *fieldProps(int index) const override;

signals:
    void aboutToReset();
    void reset();
    void aboutToAppendRows(int first, int last);
    void rowsAppended();
    void aboutToInsertRow(int row);
    void rowInserted(int row);
    void aboutToRemoveRow(int row);
    void rowRemoved(int row);
    void rowChanged(int row);
    void currentChanged(int row);
    void stateChanged(db::DataSet::State state);
    // Before the beforePost handler: bound editors write their text into the fields.
    void aboutToPost();
    void fieldChanged(int index);

private:
    using Row = QVector<QVariant>;
    void checkOpen() const;
    void checkAllowed(int kind) const;
    int fetchRows(int n);
    void calcRow(Row &row);
    void setCurrent(int row, bool fireEvents = true);
    void setState(State s);
    void executeModify(const QString &sql, const Row &values, const Row &old, bool checkAffected);
    QVariant paramValueFor(const QString &name, const Row &values, const Row &old) const;
    void commitWrite();
    void rollbackWrite();
    void onTransactionEnding();

    Database *m_db = nullptr;
    Transaction *m_readTr = nullptr;
    Transaction *m_writeTr = nullptr;
    QString m_selectSql, m_insertSql, m_updateSql, m_deleteSql, m_refreshSql;
    QHash<QString, QString> m_macros;
    QHash<QString, QVariant> m_params;
    QString m_generator;
    QString m_keyField = QStringLiteral("ID");
    bool m_autoCommit = false;
    int m_allowed = ukAll;
    bool m_emptyAsNull = true;
    int m_batch = 64;

    std::unique_ptr<Statement> m_select;
    QString m_preparedSelect;
    QStringList m_selectParams;
    QHash<QString, std::shared_ptr<Statement>> m_modifyCache;
    QHash<QString, QStringList> m_modifyParams;

    QVector<ColumnInfo> m_columns;
    int m_dbColumns = 0;
    struct Calc { QString name; unsigned type; };
    QVector<Calc> m_calc;
    QHash<QString, FieldProps> m_props;
    QVector<Row> m_rows;
    Row m_buf, m_old;
    Row *m_calcTarget = nullptr;
    int m_cur = -1;
    int m_insertRow = -1;
    bool m_allFetched = true;
    bool m_eof = true, m_bof = true;
    State m_state = Inactive;
    bool m_inEvent = false;
};

} // namespace db
