#include "schema.h"

#include "database.h"
#include "dberror.h"
#include "query.h"
#include "transaction.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace db {

QList<SchemaScript> Schema::scripts(const QString &dir)
{
    QList<SchemaScript> out;
    static const QRegularExpression re(QStringLiteral("^(\\d{3})_.*\\.sql$"));
    const QStringList files = QDir(dir).entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name);
    for (const QString &f : files) {
        const auto m = re.match(f);
        if (m.hasMatch())
            out.push_back({m.captured(1).toInt(), QDir(dir).filePath(f)});
    }
    if (out.isEmpty())
        throw DbError(DbError::Kind::Usage,
                      QStringLiteral("Im Ordner \u201E%1\u201C wurden keine Datenbankskripte gefunden.").arg(dir));
    return out;
}

int Schema::latestVersion(const QString &dir) { return scripts(dir).last().version; }

int Schema::currentVersion(Database &db)
{
    Transaction tr(&db, Transaction::readParams());
    const QVariant exists = Query::selectValue(
        tr, QStringLiteral("select count(*) from rdb$relations where rdb$relation_name = 'SYS$SCHEMA_VERSION'"));
    if (exists.toInt() == 0)
        return 0;
    const QVariant v = Query::selectValue(tr, QStringLiteral("select max(VERSION) from SYS$SCHEMA_VERSION"));
    tr.commit();
    return v.isNull() ? 0 : v.toInt();
}

QStringList Schema::splitStatements(const QString &script)
{
    QStringList out;
    QString term = QStringLiteral(";");
    QString cur;
    const qsizetype n = script.size();
    qsizetype i = 0;
    auto finish = [&] {
        const QString s = cur.trimmed();
        cur.clear();
        if (s.isEmpty())
            return;
        static const QRegularExpression setTerm(QStringLiteral("^SET\\s+TERM\\s+(\\S+)\\s*$"),
                                                QRegularExpression::CaseInsensitiveOption);
        const auto m = setTerm.match(s);
        if (m.hasMatch()) {
            term = m.captured(1);
            return;
        }
        static const QRegularExpression skip(QStringLiteral("^(SET\\s+\\w+|COMMIT(\\s+WORK)?)\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
        if (skip.match(s).hasMatch() && !s.startsWith(QLatin1String("SET GENERATOR"), Qt::CaseInsensitive)
            && !s.startsWith(QLatin1String("SET STATISTICS"), Qt::CaseInsensitive))
            return;
        out << s;
    };
    while (i < n) {
        const QChar c = script.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            qsizetype j = i + 1;
            while (j < n) {
                if (script.at(j) == c) {
                    if (j + 1 < n && script.at(j + 1) == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            cur += script.mid(i, j - i + 1);
            i = j + 1;
        } else if (c == QLatin1Char('-') && i + 1 < n && script.at(i + 1) == QLatin1Char('-')) {
            qsizetype j = script.indexOf(QLatin1Char('\n'), i);
            if (j < 0)
                j = n;
            cur += QLatin1Char(' ');
            i = j;
        } else if (c == QLatin1Char('/') && i + 1 < n && script.at(i + 1) == QLatin1Char('*')) {
            qsizetype j = script.indexOf(QLatin1String("*/"), i + 2);
            j = j < 0 ? n : j + 2;
            cur += QLatin1Char(' ');
            i = j;
        } else if (script.mid(i, term.size()) == term) {
            finish();
            i += term.size();
        } else {
            cur += c;
            ++i;
        }
    }
    finish();
    return out;
}

int Schema::upgrade(Database &db, const QString &dir, int upto, const std::function<void(const QString &)> &progress)
{
    int version = currentVersion(db);
    for (const SchemaScript &s : scripts(dir)) {
        if (s.version <= version || s.version > upto)
            continue;
        QFile f(s.path);
        if (!f.open(QIODevice::ReadOnly))
            throw DbError(DbError::Kind::Usage,
                          QStringLiteral("Das Datenbankskript \u201E%1\u201C kann nicht gelesen werden.").arg(s.path));
        const QString text = QString::fromUtf8(f.readAll());
        const QStringList statements = splitStatements(text);
        if (progress)
            progress(QFileInfo(s.path).fileName());
        // Data statements run together in one transaction; definitions commit on their own, as
        // the engine only sees new objects after the defining transaction has committed.
        Transaction tr(&db, {QStringLiteral("write"), QStringLiteral("wait"), QStringLiteral("concurrency")});
        static const QRegularExpression ddl(
            QStringLiteral("^(CREATE|ALTER|RECREATE|DROP|DECLARE|COMMENT|GRANT|REVOKE|SET\\s+GENERATOR)\\b"),
            QRegularExpression::CaseInsensitiveOption);
        int no = 0;
        for (const QString &stmt : statements) {
            ++no;
            try {
                if (ddl.match(stmt).hasMatch()) {
                    if (tr.isActive())
                        tr.commit();
                    db.executeImmediate(tr, stmt);
                    tr.commit();
                } else {
                    db.executeImmediate(tr, stmt);
                }
            } catch (const DbError &e) {
                try {
                    tr.rollback();
                } catch (...) {
                }
                throw DbError(e.kind(),
                              QStringLiteral("Die Datenbank konnte nicht auf Version %1 gebracht werden "
                                             "(Skript %2, Anweisung %3): %4")
                                  .arg(s.version)
                                  .arg(QFileInfo(s.path).fileName())
                                  .arg(no)
                                  .arg(e.userMessage()),
                              e.engineText() + QStringLiteral("\n") + stmt.left(400), e.codes());
            }
        }
        Query q(&db, &tr);
        q.setSql(QStringLiteral("insert into SYS$SCHEMA_VERSION (VERSION, ANGEWENDET, SKRIPT) values (:V, :T, :S)"));
        q.setParam(QStringLiteral("V"), s.version);
        q.setParam(QStringLiteral("T"), QDateTime::currentDateTime());
        q.setParam(QStringLiteral("S"), QFileInfo(s.path).fileName());
        q.exec();
        tr.commit();
        version = s.version;
    }
    return version;
}

} // namespace db
