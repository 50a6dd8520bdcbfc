#include "field.h"

#include "dberror.h"

#include <firebird/Interface.h>

#include <QLocale>

namespace db {

bool ColumnInfo::isText() const
{
    return type == SQL_TEXT || type == SQL_VARYING || (type == SQL_BLOB && subType == 1);
}
bool ColumnInfo::isInteger() const
{
    return (type == SQL_SHORT || type == SQL_LONG || type == SQL_INT64) && scale == 0;
}
bool ColumnInfo::isDateTime() const
{
    return type == SQL_TIMESTAMP || type == SQL_TYPE_DATE || type == SQL_TYPE_TIME;
}
bool ColumnInfo::isBlob() const { return type == SQL_BLOB; }

namespace {
const QLocale &german()
{
    static const QLocale l(QLocale::German, QLocale::Germany);
    return l;
}
} // namespace

QString formatValue(const QVariant &v)
{
    if (v.isNull())
        return QString();
    const int t = v.typeId();
    if (t == qMetaTypeId<Decimal>())
        return v.value<Decimal>().toString(german());
    if (t == QMetaType::QDate)
        return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    if (t == QMetaType::QTime)
        return v.toTime().toString(QStringLiteral("HH:mm"));
    if (t == QMetaType::QDateTime) {
        const QDateTime dt = v.toDateTime();
        if (dt.time() == QTime(0, 0))
            return dt.toString(QStringLiteral("dd.MM.yyyy"));
        return dt.toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    }
    if (t == QMetaType::Double)
        return german().toString(v.toDouble(), 'g', 15);
    if (t == QMetaType::QByteArray)
        return QString();
    return v.toString();
}

QString Field::asString() const
{
    const QVariant v = value();
    if (v.isNull())
        return QString();
    if (v.typeId() == qMetaTypeId<Decimal>())
        return v.value<Decimal>().toString();
    if (v.typeId() == QMetaType::QByteArray)
        return QString::fromLatin1(v.toByteArray());
    if (v.typeId() == QMetaType::QDateTime || v.typeId() == QMetaType::QDate)
        return formatValue(v);
    return v.toString();
}

int Field::asInteger() const { return int(asInt64()); }

qint64 Field::asInt64() const
{
    const QVariant v = value();
    if (v.isNull())
        return 0;
    if (v.typeId() == qMetaTypeId<Decimal>())
        return v.value<Decimal>().toInt64Rounded();
    if (v.typeId() == QMetaType::QString) {
        bool ok;
        const qint64 r = v.toString().trimmed().toLongLong(&ok);
        return ok ? r : 0;
    }
    return v.toLongLong();
}

double Field::asDouble() const
{
    const QVariant v = value();
    if (v.isNull())
        return 0.0;
    if (v.typeId() == qMetaTypeId<Decimal>())
        return v.value<Decimal>().toDouble();
    return v.toDouble();
}

bool Field::asBoolean() const
{
    const QVariant v = value();
    if (v.typeId() == QMetaType::QString)
        return v.toString().trimmed() == QLatin1String("1") || v.toString().trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    return asInt64() != 0 || (v.typeId() == QMetaType::Bool && v.toBool());
}

QDate Field::asDate() const
{
    const QVariant v = value();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    return v.toDate();
}

QDateTime Field::asDateTime() const
{
    const QVariant v = value();
    if (v.typeId() == QMetaType::QDate)
        return QDateTime(v.toDate(), QTime(0, 0));
    return v.toDateTime();
}

Decimal Field::asCurrency() const
{
    const QVariant v = value();
    const int scale = info().scale < 0 ? -info().scale : 4;
    if (v.isNull())
        return Decimal(0, scale);
    if (v.typeId() == qMetaTypeId<Decimal>())
        return v.value<Decimal>().rescaled(std::max(scale, v.value<Decimal>().scale()));
    if (v.typeId() == QMetaType::QString) {
        bool ok;
        Decimal d = Decimal::parse(v.toString(), scale, &ok, QLocale::c());
        return ok ? d : Decimal(0, scale);
    }
    if (v.typeId() == QMetaType::Double) {
        bool ok;
        Decimal d = Decimal::parse(QString::number(v.toDouble(), 'f', scale), scale, &ok, QLocale::c());
        return ok ? d : Decimal(0, scale);
    }
    return Decimal::fromInt(v.toLongLong(), scale);
}

QByteArray Field::asBytes() const
{
    const QVariant v = value();
    if (v.typeId() == QMetaType::QString)
        return v.toString().toLatin1();
    return v.toByteArray();
}

QString Field::displayText() const
{
    const FieldProps *p = m_owner->fieldProps(m_index);
    if (p && p->getText)
        return p->getText(value());
    return formatValue(value());
}

void Field::setText(const QString &text)
{
    const FieldProps *p = m_owner->fieldProps(m_index);
    if (p && p->setText) {
        setValue(p->setText(text));
        return;
    }
    const ColumnInfo &c = info();
    const QString t = text.trimmed();
    auto fail = [&](const QString &what) {
        throw DbError(DbError::Kind::Conversion,
                      QStringLiteral("\u201E%1\u201C ist %2 (Feld %3).").arg(text, what, c.name));
    };
    if (c.isText() || c.type == 0) {
        setValue(text);
        return;
    }
    if (t.isEmpty()) {
        setValue(QVariant());
        return;
    }
    if (c.isInteger()) {
        bool ok;
        const qint64 v = german().toLongLong(t, &ok);
        if (!ok)
            fail(QStringLiteral("keine ganze Zahl"));
        setValue(QVariant(qlonglong(v)));
    } else if (c.isDecimal()) {
        bool ok;
        const Decimal d = Decimal::parse(t, -c.scale, &ok, german());
        if (!ok)
            fail(QStringLiteral("keine gültige Zahl"));
        setValue(QVariant::fromValue(d));
    } else if (c.type == SQL_FLOAT || c.type == SQL_DOUBLE) {
        bool ok;
        const double v = german().toDouble(t, &ok);
        if (!ok)
            fail(QStringLiteral("keine gültige Zahl"));
        setValue(v);
    } else if (c.isDateTime()) {
        QDateTime dt = QDateTime::fromString(t, QStringLiteral("dd.MM.yyyy HH:mm"));
        if (!dt.isValid())
            dt = QDateTime::fromString(t, QStringLiteral("dd.MM.yyyy HH:mm:ss"));
        if (!dt.isValid()) {
            const QDate d = QDate::fromString(t, QStringLiteral("dd.MM.yyyy"));
            if (d.isValid())
                dt = QDateTime(d, QTime(0, 0));
        }
        if (!dt.isValid())
            fail(QStringLiteral("kein gültiges Datum"));
        if (c.type == SQL_TYPE_DATE)
            setValue(dt.date());
        else
            setValue(dt);
    } else {
        setValue(text);
    }
}

} // namespace db
