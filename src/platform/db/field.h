#pragma once
// A field of the current record of a Query or DataSet, read and written by name.

#include "db_global.h"
#include "decimal.h"

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <functional>

namespace db {

struct FD_DB_EXPORT ColumnInfo
{
    QString name;      // alias as the select list names it
    QString field;     // column of the table, if any
    QString relation;  // table, if any
    unsigned type = 0; // engine type code without the null bit
    int subType = 0;
    int scale = 0;     // negative for NUMERIC/DECIMAL
    unsigned length = 0;
    unsigned charSet = 0;
    bool nullable = true;
    bool calculated = false;

    bool isText() const;
    bool isInteger() const;
    bool isDecimal() const { return scale < 0; }
    bool isDateTime() const;
    bool isBlob() const;
};

// What a form sets on a field beyond its data: the grid's caption and width, the tag that the
// grid column fit uses, and the get-text/set-text handlers of lookup fields.
struct FD_DB_EXPORT FieldProps
{
    QString label;
    int displayWidth = 0;   // characters; 0 = from the column
    int tag = 0;
    bool visible = true;
    bool readOnly = false;
    std::function<QString(const QVariant &)> getText;
    std::function<QVariant(const QString &)> setText;
};

class FD_DB_EXPORT FieldOwner
{
public:
    virtual ~FieldOwner() = default;
    virtual QVariant fieldValue(int index) const = 0;
    virtual void setFieldValue(int index, const QVariant &value) = 0;
    virtual QVariant oldFieldValue(int index) const { return fieldValue(index); }
    virtual const ColumnInfo &columnInfo(int index) const = 0;
    virtual const FieldProps *fieldProps(int index) const { return nullptr; }
};

class FD_DB_EXPORT Field
{
public:
    Field(FieldOwner *owner, int index) : m_owner(owner), m_index(index) {}

    QString name() const { return m_owner->columnInfo(m_index).name; }
    int index() const { return m_index; }
    const ColumnInfo &info() const { return m_owner->columnInfo(m_index); }

    QVariant value() const { return m_owner->fieldValue(m_index); }
    QVariant oldValue() const { return m_owner->oldFieldValue(m_index); }
    bool isNull() const { return value().isNull(); }

    QString asString() const;
    int asInteger() const;
    qint64 asInt64() const;
    double asDouble() const;
    bool asBoolean() const;
    QDate asDate() const;
    QDateTime asDateTime() const;
    // Exact decimal with four places (the money columns' scale) unless the column has another.
    Decimal asCurrency() const;
    QByteArray asBytes() const;

    // Text for the screen: the get-text handler if any, else German formats.
    QString displayText() const;

    void setValue(const QVariant &v) { m_owner->setFieldValue(m_index, v); }
    void setString(const QString &s) { setValue(s); }
    void setInteger(qint64 v) { setValue(QVariant(qlonglong(v))); }
    void setDateTime(const QDateTime &v) { setValue(v); }
    void setCurrency(const Decimal &d) { setValue(QVariant::fromValue(d)); }
    void clear() { setValue(QVariant()); }
    // Text typed by a user: the set-text handler if any, else the column's type decides.
    // Throws DbError (Conversion) with a German message when the text does not fit the column.
    void setText(const QString &text);

private:
    FieldOwner *m_owner;
    int m_index;
};

// Formats a value the way the German screens show it.
FD_DB_EXPORT QString formatValue(const QVariant &v);

} // namespace db
