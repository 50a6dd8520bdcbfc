#pragma once
// A statement with named parameters (":NAME", a name used twice binds once) and macros
// ("@@Name@"). Selects are read row by row; other statements run with exec().

#include "db_global.h"
#include "field.h"

#include <QHash>
#include <QObject>
#include <QVariant>
#include <memory>

namespace db {

class Database;
class Transaction;
class Statement;

class FD_DB_EXPORT Query : public QObject, public FieldOwner
{
    Q_OBJECT
public:
    explicit Query(Database *db = nullptr, Transaction *tr = nullptr, QObject *parent = nullptr);
    ~Query() override;

    void setDatabase(Database *db);
    Database *database() const { return m_db; }
    void setTransaction(Transaction *tr);
    Transaction *transaction() const { return m_tr; }

    void setSql(const QString &sql);
    const QString &sql() const { return m_sql; }
    void setMacro(const QString &name, const QString &value);
    QString macro(const QString &name) const { return m_macros.value(name.toUpper()); }
    void setParam(const QString &name, const QVariant &value);
    QVariant param(const QString &name) const { return m_params.value(name.toUpper()); }
    void clearParams() { m_params.clear(); }
    // A select read again and again (lookup lists) takes its prepared statement from the
    // attachment's pool and gives it back when done. Off by default.
    void setReusePrepared(bool on) { m_reuse = on; }
    // Names of the parameters of the prepared text (upper-case, each once).
    QStringList paramNames();

    // Runs a statement; returns the count of affected rows. Statements that return one row
    // (EXECUTE PROCEDURE, ... RETURNING) make it available through field().
    qint64 exec();
    // Opens a select and moves to its first row (eof() when there is none).
    void open();
    bool next();
    bool eof() const { return m_eof; }
    bool isOpen() const { return m_open; }
    void close();

    int fieldCount() const;
    int fieldIndex(const QString &name) const;
    Field field(const QString &name);
    Field field(int index) { return Field(this, index); }
    QVariant value(const QString &name) { return field(name).value(); }
    QVariant value(int index) const { return fieldValue(index); }
    // value(0) on a non-const query would otherwise weigh the int against a QString from a null pointer.
    QVariant value(int index) { return fieldValue(index); }
    const QVector<ColumnInfo> &columns() const;

    // One value of the first row, or an invalid QVariant when there is no row.
    static QVariant selectValue(Transaction &tr, const QString &sql, const QVariantHash &params = {});

    QVariant fieldValue(int index) const override;
    void setFieldValue(int index, const QVariant &value) override;
    const ColumnInfo &columnInfo(int index) const override;

private:
    void prepareIfNeeded();
    QVector<QVariant> boundValues() const;

    Database *m_db = nullptr;
    Transaction *m_tr = nullptr;
    QString m_sql;
    QHash<QString, QString> m_macros;
    QHash<QString, QVariant> m_params;
    std::unique_ptr<Statement> m_stmt;
    QStringList m_positional;
    QString m_preparedText;
    QVector<QVariant> m_row;
    bool m_open = false;
    bool m_eof = true;
    bool m_reuse = false;
};

} // namespace db
