#pragma once
// A tree of nodes with named values. Node classes register a factory with Nodes::RegisterNodes so
// that a saved tree loads back as the same classes.
//
// File format (UTF-8 text, one item per line, fields separated by one blank, every free text
// percent-encoded so that it holds no blank or line break):
//   FDNODES 1
//   N <depth> <class> <name>        a node; depth 0 is the root, a child is one deeper than its parent
//   V <key> <type> <value>          a value of the node above; type s (text), i (integer), f (number), b (0/1)
// A file that does not follow this is refused as a whole.

#include "shellware_global.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

class FD_SHELLWARE_EXPORT TNode
{
public:
    explicit TNode(const QString &name = QString());
    virtual ~TNode();
    TNode(const TNode &) = delete;
    TNode &operator=(const TNode &) = delete;

    // The registered class name; subclasses return theirs.
    virtual QString ClassName() const { return QStringLiteral("TNode"); }

    QString Name;
    QMap<QString, QVariant> Values;
    QVariant Value(const QString &key, const QVariant &def = QVariant()) const { return Values.value(key, def); }
    void SetValue(const QString &key, const QVariant &v) { Values.insert(key, v); }

    TNode *Parent() const { return m_parent; }
    int Count() const { return int(m_children.size()); }
    TNode *Child(int i) const { return m_children.value(i); }
    TNode *Add(TNode *child);             // takes ownership
    TNode *AddChild(const QString &name); // a plain TNode
    void Remove(TNode *child);            // deletes it
    void Clear();

    // "Root/Child/Grandchild" (names joined by "/").
    QString GetPath() const;
    // The node at a path relative to this one ("A/B"); null when missing.
    TNode *GetPathNode(const QString &path) const;
    // Depth first, this node first; stops when fn returns false.
    bool ForEach(const std::function<bool(TNode *)> &fn);

    // Writes the tree below and including this node.
    bool SaveToFile(const QString &path, QString *error = nullptr) const;
    // Replaces this node's values and children with the file's root. A damaged file changes
    // nothing and gives false with a German message in `error` (or a message box when error is null).
    bool LoadFromFile(const QString &path, QString *error = nullptr);

private:
    TNode *m_parent = nullptr;
    QList<TNode *> m_children;
};

namespace Nodes {
FD_SHELLWARE_EXPORT void RegisterNodes(const QString &className, std::function<TNode *()> factory);
FD_SHELLWARE_EXPORT TNode *CreateNode(const QString &className); // null when unknown
template<class N>
bool RegisterNode()
{
    RegisterNodes(N().ClassName(), [] { return new N; });
    return true;
}
} // namespace Nodes
