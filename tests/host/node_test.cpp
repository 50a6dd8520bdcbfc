// The node tree and its file format.

#include "host/shellware/dialogs.h"
#include "host/shellware/node.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
class TOrdnerNode : public TNode
{
public:
    QString ClassName() const override { return QStringLiteral("TOrdnerNode"); }
};
const bool registered = Nodes::RegisterNode<TOrdnerNode>();

std::unique_ptr<TNode> sampleTree()
{
    auto root = std::make_unique<TNode>(QStringLiteral("Korrespondenz"));
    TNode *firma = root->Add(new TOrdnerNode);
    firma->Name = QStringLiteral("Müller & Söhne GmbH");
    firma->SetValue(QStringLiteral("Firmen_ID"), 17);
    firma->SetValue(QStringLiteral("Pfad"), QStringLiteral("/daten/Müller 1\nzweite Zeile"));
    firma->SetValue(QStringLiteral("Offen"), true);
    firma->SetValue(QStringLiteral("Faktor"), 0.25);
    firma->AddChild(QStringLiteral("Briefe"))->SetValue(QStringLiteral("Leer"), QString());
    root->AddChild(QStringLiteral("Personen"));
    return root;
}
} // namespace

TEST(NodeTest, PathsAndWalk)
{
    auto root = sampleTree();
    TNode *briefe = root->GetPathNode(QStringLiteral("Müller & Söhne GmbH/Briefe"));
    ASSERT_NE(briefe, nullptr);
    EXPECT_EQ(briefe->GetPath(), QStringLiteral("Korrespondenz/Müller & Söhne GmbH/Briefe"));
    EXPECT_EQ(root->GetPathNode(QStringLiteral("Personen/fehlt")), nullptr);
    QStringList order;
    root->ForEach([&](TNode *n) { order << n->Name; return true; });
    EXPECT_EQ(order, (QStringList{QStringLiteral("Korrespondenz"), QStringLiteral("Müller & Söhne GmbH"),
                                  QStringLiteral("Briefe"), QStringLiteral("Personen")}));
}

TEST(NodeTest, SavedTreeLoadsBackAsTheSameClassesAndValues)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("baum.txt"));
    auto root = sampleTree();
    ASSERT_TRUE(root->SaveToFile(path));
    TNode loaded;
    QString error;
    ASSERT_TRUE(loaded.LoadFromFile(path, &error)) << error.toStdString();
    EXPECT_EQ(loaded.Name, QStringLiteral("Korrespondenz"));
    ASSERT_EQ(loaded.Count(), 2);
    TNode *firma = loaded.Child(0);
    EXPECT_EQ(firma->ClassName(), QStringLiteral("TOrdnerNode"));
    EXPECT_NE(dynamic_cast<TOrdnerNode *>(firma), nullptr);
    EXPECT_EQ(firma->Name, QStringLiteral("Müller & Söhne GmbH"));
    EXPECT_EQ(firma->Value(QStringLiteral("Firmen_ID")), QVariant(qlonglong(17)));
    EXPECT_EQ(firma->Value(QStringLiteral("Pfad")).toString(), QStringLiteral("/daten/Müller 1\nzweite Zeile"));
    EXPECT_EQ(firma->Value(QStringLiteral("Offen")), QVariant(true));
    EXPECT_DOUBLE_EQ(firma->Value(QStringLiteral("Faktor")).toDouble(), 0.25);
    EXPECT_EQ(firma->Child(0)->Value(QStringLiteral("Leer")).toString(), QString());
    EXPECT_EQ(loaded.GetPathNode(QStringLiteral("Müller & Söhne GmbH/Briefe"))->Parent(), firma);
}

TEST(NodeTest, ADamagedFileIsRefusedAndTheTreeStaysAsItWas)
{
    QTemporaryDir dir;
    const char *files[] = {
        "",
        "FDNODES 2\nN 0 TNode a\n",
        "FDNODES 1\n",
        "FDNODES 1\nN 1 TNode a\n",                        // child before the root
        "FDNODES 1\nN 0 TNode a\nN 2 TNode b\n",           // depth jumps
        "FDNODES 1\nN 0 TNode a\nN 1 TUnbekannt b\n",      // class not registered
        "FDNODES 1\nN 0 TNode a\nV x i zwölf\n",           // integer that is none
        "FDNODES 1\nN 0 TNode a\nV x q 1\n",               // unknown type
        "FDNODES 1\nN 0 TNode a\nV x s\n",                 // missing field
        "FDNODES 1\nN 0 TNode a\nN 0 TNode b\n",           // second root
        "FDNODES 1\nX 0 TNode a\n",
        "FDNODES 1\nN -1 TNode a\n",
        "FDNODES 1\nN 0 TOrdnerNode a\n",                  // root of another class than the target
        "\xff\xfe\x00\x01 garbage",
    };
    int n = 0;
    for (const char *content : files) {
        const QString path = QDir(dir.path()).filePath(QStringLiteral("f%1").arg(n++));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content, qstrlen(content) ? qstrlen(content) : 0);
        f.close();
        auto tree = sampleTree();
        QString error;
        EXPECT_FALSE(tree->LoadFromFile(path, &error)) << content;
        EXPECT_TRUE(error.contains(QStringLiteral("beschädigt"))) << content << " -> " << error.toStdString();
        EXPECT_EQ(tree->Count(), 2) << content;
        EXPECT_EQ(tree->Name, QStringLiteral("Korrespondenz"));
    }
    // Without an error target the refusal is a message box.
    Dialogs::expectMessage(QStringLiteral("beschädigt"));
    TNode t;
    EXPECT_FALSE(t.LoadFromFile(QDir(dir.path()).filePath(QStringLiteral("f0"))));
    EXPECT_EQ(Dialogs::pendingExpectations(), 0);
}
