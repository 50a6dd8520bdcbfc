// The field binder and the table model on real widgets (offscreen platform).
#include "platform/db/database.h"
#include "platform/db/dataset.h"
#include "platform/db/datasetmodel.h"
#include "platform/db/dberror.h"
#include "platform/db/fieldbinder.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"
#include "support/testdb.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace db;
using testing_fd::TestDb;

namespace {
struct Fixture
{
    TestDb t;
    Transaction read{&t.db(), Transaction::readParams()};
    Transaction write{&t.db()};
    DataSet ds;
    Fixture()
    {
        t.db().executeImmediate(QStringLiteral(
            "create table T_P (ID integer not null primary key, NAME varchar(40), TYP integer, AKTIV smallint, "
            "PREIS numeric(18,4), NOTIZ blob sub_type text)"));
        t.db().executeImmediate(QStringLiteral(
            "execute block as begin insert into T_P values (1, 'Anna', 2, 1, 10.5, 'erste'); "
            "insert into T_P values (2, 'Bernd', 3, 0, null, null); end"));
        ds.setTransaction(&read);
        ds.setUpdateTransaction(&write);
        ds.setAutoCommit(true);
        ds.setSelectSql(QStringLiteral("select ID, NAME, TYP, AKTIV, PREIS, NOTIZ from T_P order by ID"));
        ds.setUpdateSql(QStringLiteral(
            "update T_P set NAME = :NAME, TYP = :TYP, AKTIV = :AKTIV, PREIS = :PREIS, NOTIZ = :NOTIZ where ID = :OLD_ID"));
    }
    QVariant sql(const QString &s)
    {
        Transaction r(&t.db(), Transaction::readParams());
        return Query::selectValue(r, s);
    }
};
} // namespace

TEST(FieldBinder, EditorsFollowTheRecordAndWriteBackOnPost)
{
    Fixture f;
    QWidget w;
    auto *name = new QLineEdit(&w);
    auto *typ = new QComboBox(&w);
    typ->addItem(QStringLiteral("Klient"), 2);
    typ->addItem(QStringLiteral("Arzt"), 3);
    auto *aktiv = new QCheckBox(&w);
    auto *preis = new QLineEdit(&w);
    auto *notiz = new QPlainTextEdit(&w);
    FieldBinder b(&f.ds);
    b.bind(name, QStringLiteral("NAME"));
    b.bind(typ, QStringLiteral("TYP"));
    b.bind(aktiv, QStringLiteral("AKTIV"));
    b.bind(preis, QStringLiteral("PREIS"));
    b.bind(notiz, QStringLiteral("NOTIZ"));
    f.ds.open();
    EXPECT_EQ(name->text(), QStringLiteral("Anna"));
    EXPECT_EQ(typ->currentText(), QStringLiteral("Klient"));
    EXPECT_TRUE(aktiv->isChecked());
    EXPECT_EQ(preis->text(), QStringLiteral("10,5000"));
    EXPECT_EQ(notiz->toPlainText(), QStringLiteral("erste"));
    f.ds.next();
    EXPECT_EQ(name->text(), QStringLiteral("Bernd"));
    EXPECT_EQ(typ->currentText(), QStringLiteral("Arzt"));
    EXPECT_FALSE(aktiv->isChecked());
    EXPECT_TRUE(preis->text().isEmpty());

    // Typing puts the dataset into edit state; posting writes every changed editor.
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    name->end(false);
    QTest::keyClicks(name, QStringLiteral(" Brandt"));
    EXPECT_EQ(f.ds.state(), DataSet::Edit);
    typ->setCurrentIndex(0);
    emit typ->activated(0);
    QTest::mouseClick(aktiv, Qt::LeftButton);
    preis->setText(QStringLiteral("1.234,5"));
    emit preis->textEdited(preis->text());
    f.ds.post();
    EXPECT_EQ(f.sql(QStringLiteral("select NAME from T_P where ID = 2")).toString(), QStringLiteral("Bernd Brandt"));
    EXPECT_EQ(f.sql(QStringLiteral("select TYP from T_P where ID = 2")).toInt(), 2);
    EXPECT_EQ(f.sql(QStringLiteral("select AKTIV from T_P where ID = 2")).toInt(), 1);
    EXPECT_EQ(f.sql(QStringLiteral("select PREIS from T_P where ID = 2")).value<Decimal>().toString(), QStringLiteral("1234.5000"));

    // A text that is no number is refused on post and stays in the editor.
    preis->setText(QStringLiteral("zwölf"));
    emit preis->textEdited(preis->text());
    EXPECT_THROW(f.ds.post(), DbError);
    EXPECT_EQ(preis->text(), QStringLiteral("zwölf"));
    EXPECT_EQ(f.ds.state(), DataSet::Edit);
    f.ds.cancel();
    EXPECT_EQ(preis->text(), QStringLiteral("1234,5000"));
}

TEST(DataSetModel, GridShowsLabelsLookupTextsAndFetchesOnScroll)
{
    Fixture f;
    f.t.db().executeImmediate(QStringLiteral(
        "execute block as declare i integer = 3; begin while (i < 1000) do begin "
        "insert into T_P (ID, NAME, TYP) values (:i, 'P' || :i, 3); i = i + 1; end end"));
    f.ds.setFetchBatch(50);
    f.ds.props(QStringLiteral("NAME")).label = QStringLiteral("Name");
    f.ds.props(QStringLiteral("TYP")).getText = [](const QVariant &v) {
        return v.toInt() == 2 ? QStringLiteral("Klient") : v.toInt() == 3 ? QStringLiteral("Arzt") : QString();
    };
    DataSetModel model(&f.ds);
    model.setColumns({QStringLiteral("NAME"), QStringLiteral("TYP")});
    QTableView view;
    view.setModel(&model);
    view.resize(400, 300);
    f.ds.open();
    view.show();
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("Klient"));
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), QStringLiteral("Arzt"));
    EXPECT_LT(model.rowCount(), 999) << "only what the view needs is read";
    view.scrollToBottom();
    for (int i = 0; i < 50 && model.canFetchMore(QModelIndex()); ++i) {
        view.scrollToBottom();
        QApplication::processEvents();
    }
    EXPECT_EQ(model.rowCount(), 999);
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
