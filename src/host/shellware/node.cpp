#include "node.h"

#include "dialogs.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QUrl>

namespace Nodes {
namespace {
QHash<QString, std::function<TNode *()>> &factories()
{
    static QHash<QString, std::function<TNode *()>> f;
    return f;
}
} // namespace

void RegisterNodes(const QString &className, std::function<TNode *()> factory) { factories().insert(className, std::move(factory)); }

TNode *CreateNode(const QString &className)
{
    if (className == QLatin1String("TNode"))
        return new TNode;
    auto it = factories().constFind(className);
    return it == factories().cend() ? nullptr : it.value()();
}
} // namespace Nodes

TNode::TNode(const QString &name) : Name(name) {}

TNode::~TNode() { Clear(); }

TNode *TNode::Add(TNode *child)
{
    if (child->m_parent)
        child->m_parent->m_children.removeAll(child);
    child->m_parent = this;
    m_children.append(child);
    return child;
}

TNode *TNode::AddChild(const QString &name) { return Add(new TNode(name)); }

void TNode::Remove(TNode *child)
{
    if (m_children.removeAll(child)) {
        child->m_parent = nullptr;
        delete child;
    }
}

void TNode::Clear()
{
    const QList<TNode *> kids = m_children;
    m_children.clear();
    for (TNode *c : kids) {
        c->m_parent = nullptr;
        delete c;
    }
}

QString TNode::GetPath() const
{
    return m_parent ? m_parent->GetPath() + QLatin1Char('/') + Name : Name;
}

TNode *TNode::GetPathNode(const QString &path) const
{
    const TNode *n = this;
    for (const QString &part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        const TNode *found = nullptr;
        for (TNode *c : n->m_children)
            if (c->Name == part) {
                found = c;
                break;
            }
        if (!found)
            return nullptr;
        n = found;
    }
    return const_cast<TNode *>(n);
}

bool TNode::ForEach(const std::function<bool(TNode *)> &fn)
{
    if (!fn(this))
        return false;
    const QList<TNode *> kids = m_children;
    for (TNode *c : kids)
        if (!c->ForEach(fn))
            return false;
    return true;
}

namespace {
QByteArray enc(const QString &s) { return s.isEmpty() ? QByteArray("%") : QUrl::toPercentEncoding(s); }
QString dec(const QByteArray &b) { return b == "%" ? QString() : QUrl::fromPercentEncoding(b); }

void write(const TNode *n, int depth, QByteArray &out)
{
    out += "N " + QByteArray::number(depth) + ' ' + enc(n->ClassName()) + ' ' + enc(n->Name) + '\n';
    for (auto it = n->Values.cbegin(); it != n->Values.cend(); ++it) {
        const QVariant &v = it.value();
        char type = 's';
        QString text = v.toString();
        switch (v.typeId()) {
        case QMetaType::Int: case QMetaType::LongLong: case QMetaType::UInt: case QMetaType::ULongLong: type = 'i'; break;
        case QMetaType::Double: case QMetaType::Float: type = 'f'; text = QString::number(v.toDouble(), 'g', 17); break;
        case QMetaType::Bool: type = 'b'; text = v.toBool() ? QStringLiteral("1") : QStringLiteral("0"); break;
        default: break;
        }
        out += "V " + enc(it.key()) + ' ' + type + ' ' + enc(text) + '\n';
    }
    for (int i = 0; i < n->Count(); ++i)
        write(n->Child(i), depth + 1, out);
}

void report(const QString &msg, QString *error)
{
    if (error)
        *error = msg;
    else
        Dialogs::message(nullptr, msg, Dialogs::Icon::Warning);
}
} // namespace

bool TNode::SaveToFile(const QString &path, QString *error) const
{
    QByteArray out("FDNODES 1\n");
    write(this, 0, out);
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size() || !f.commit()) {
        report(QStringLiteral("Die Datei \u201E%1\u201C kann nicht geschrieben werden.").arg(path), error);
        return false;
    }
    return true;
}

bool TNode::LoadFromFile(const QString &path, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        report(QStringLiteral("Die Datei \u201E%1\u201C kann nicht gelesen werden.").arg(path), error);
        return false;
    }
    if (f.size() > 64 * 1024 * 1024) {
        report(QStringLiteral("Die Datei \u201E%1\u201C ist zu groß.").arg(path), error);
        return false;
    }
    const QList<QByteArray> lines = f.readAll().split('\n');
    auto damaged = [&](int line) {
        report(QStringLiteral("Die Datei \u201E%1\u201C ist beschädigt (Zeile %2) und wurde nicht geladen.").arg(path).arg(line), error);
        return false;
    };
    if (lines.isEmpty() || lines.first().trimmed() != "FDNODES 1")
        return damaged(1);
    std::unique_ptr<TNode> root;
    QList<TNode *> stack; // stack[d] = last node at depth d
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i);
        if (line.trimmed().isEmpty())
            continue;
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() != 4)
            return damaged(i + 1);
        if (parts[0] == "N") {
            bool ok = false;
            const int depth = parts[1].toInt(&ok);
            if (!ok || depth < 0 || depth > stack.size() || (depth == 0 && root))
                return damaged(i + 1);
            if (depth > 0 && !root)
                return damaged(i + 1);
            const QString cls = dec(parts[2]);
            TNode *n = depth == 0 ? nullptr : Nodes::CreateNode(cls);
            if (depth == 0) {
                if (cls != ClassName())
                    return damaged(i + 1);
                root = std::make_unique<TNode>();
                n = root.get();
            }
            if (!n)
                return damaged(i + 1);
            n->Name = dec(parts[3]);
            stack.resize(depth);
            if (depth > 0)
                stack.at(depth - 1)->Add(n);
            stack.append(n);
        } else if (parts[0] == "V") {
            if (stack.isEmpty())
                return damaged(i + 1);
            const QString key = dec(parts[1]);
            const QString text = dec(parts[3]);
            QVariant v;
            bool ok = true;
            if (parts[2] == "s")
                v = text;
            else if (parts[2] == "i")
                v = text.toLongLong(&ok);
            else if (parts[2] == "f")
                v = text.toDouble(&ok);
            else if (parts[2] == "b" && (text == QLatin1String("0") || text == QLatin1String("1")))
                v = text == QLatin1String("1");
            else
                ok = false;
            if (!ok)
                return damaged(i + 1);
            stack.last()->Values.insert(key, v);
        } else {
            return damaged(i + 1);
        }
    }
    if (!root)
        return damaged(lines.size());
    // Take over the loaded root's content.
    Clear();
    Name = root->Name;
    Values = root->Values;
    while (root->Count() > 0)
        Add(root->Child(0));
    return true;
}
