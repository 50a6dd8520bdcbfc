#include "sqltext.h"

namespace db {

namespace {

// Calls f(i) for every position outside literals and comments; f returns how many characters it
// consumed (0 = copy one).
template <typename F>
void scan(const QString &s, F &&onCode)
{
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = s.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            qsizetype j = i + 1;
            while (j < n) {
                if (s.at(j) == c) {
                    if (j + 1 < n && s.at(j + 1) == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            onCode(i, std::min(j + 1, n) - i, false);
            i = std::min(j + 1, n);
        } else if (c == QLatin1Char('-') && i + 1 < n && s.at(i + 1) == QLatin1Char('-')) {
            qsizetype j = s.indexOf(QLatin1Char('\n'), i);
            if (j < 0)
                j = n;
            onCode(i, j - i, false);
            i = j;
        } else if (c == QLatin1Char('/') && i + 1 < n && s.at(i + 1) == QLatin1Char('*')) {
            qsizetype j = s.indexOf(QLatin1String("*/"), i + 2);
            j = j < 0 ? n : j + 2;
            onCode(i, j - i, false);
            i = j;
        } else {
            const qsizetype used = onCode(i, 1, true);
            i += used > 0 ? used : 1;
        }
    }
}

bool isIdentStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
bool isIdentChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$'); }

} // namespace

QString applyMacros(const QString &sql, const QHash<QString, QString> &macros)
{
    if (!sql.contains(QLatin1String("@@")))
        return sql;
    QString out;
    out.reserve(sql.size());
    scan(sql, [&](qsizetype i, qsizetype len, bool code) -> qsizetype {
        if (code && sql.at(i) == QLatin1Char('@') && i + 1 < sql.size() && sql.at(i + 1) == QLatin1Char('@')) {
            const qsizetype end = sql.indexOf(QLatin1Char('@'), i + 2);
            if (end > i + 2) {
                QString body = sql.mid(i + 2, end - i - 2);
                QString def;
                const qsizetype pct = body.indexOf(QLatin1Char('%'));
                if (pct >= 0) {
                    def = body.mid(pct + 1);
                    body = body.left(pct);
                }
                const QString key = body.trimmed().toUpper();
                bool valid = !key.isEmpty();
                for (QChar ch : key)
                    valid = valid && isIdentChar(ch);
                if (valid) {
                    auto it = macros.constFind(key);
                    out += (it != macros.constEnd()) ? it.value() : def;
                    return end - i + 1;
                }
            }
        }
        out += QStringView(sql).mid(i, len);
        return len;
    });
    return out;
}

QStringList macroNames(const QString &sql)
{
    QStringList names;
    scan(sql, [&](qsizetype i, qsizetype len, bool code) -> qsizetype {
        if (code && sql.at(i) == QLatin1Char('@') && i + 1 < sql.size() && sql.at(i + 1) == QLatin1Char('@')) {
            const qsizetype end = sql.indexOf(QLatin1Char('@'), i + 2);
            if (end > i + 2) {
                QString body = sql.mid(i + 2, end - i - 2);
                body = body.left(body.indexOf(QLatin1Char('%')) >= 0 ? body.indexOf(QLatin1Char('%')) : body.size());
                const QString key = body.trimmed().toUpper();
                if (!key.isEmpty() && !names.contains(key))
                    names << key;
                return end - i + 1;
            }
        }
        return len;
    });
    return names;
}

ParsedSql parseParams(const QString &sql)
{
    ParsedSql r;
    r.sql.reserve(sql.size());
    scan(sql, [&](qsizetype i, qsizetype len, bool code) -> qsizetype {
        if (code && sql.at(i) == QLatin1Char(':') && i + 1 < sql.size() && isIdentStart(sql.at(i + 1))
            && (i == 0 || !isIdentChar(sql.at(i - 1)))) {
            qsizetype j = i + 1;
            while (j < sql.size() && isIdentChar(sql.at(j)))
                ++j;
            r.paramNames << sql.mid(i + 1, j - i - 1).toUpper();
            r.sql += QLatin1Char('?');
            return j - i;
        }
        if (code && sql.at(i) == QLatin1Char('?'))
            r.paramNames << QString(); // a positional marker written by hand
        r.sql += QStringView(sql).mid(i, len);
        return len;
    });
    return r;
}

} // namespace db
