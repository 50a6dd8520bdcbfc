// Host controls: navigator, check list, calendar button, search picker, message hooks.

#include "hostfixture.h"

#include "host/shellware/calendarbtn.h"
#include "host/shellware/checklist.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/extnavigator.h"
#include "host/shellware/suchtool.h"
#include "host/shellware/systools.h"
#include "platform/db/dataset.h"
#include "platform/db/transaction.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

using ControlsTest = HostTest;

namespace {
struct FirmenSet
{
    explicit FirmenSet(db::Database &d) : tr(&d, db::Transaction::writeParams())
    {
        ds.setDatabase(&d);
        ds.setTransaction(&tr);
        ds.setSelectSql(QStringLiteral("select ID, KURZBEZEICHNUNG from FIRMEN order by KURZBEZEICHNUNG"));
        ds.setInsertSql(QStringLiteral("insert into FIRMEN (ID, KURZBEZEICHNUNG) values (:ID, :KURZBEZEICHNUNG)"));
        ds.setGenerator(QStringLiteral("GEN_FIRMEN_ID"));
        ds.setAutoCommit(true);
    }
    db::Transaction tr;
    db::DataSet ds;
};
} // namespace

TEST_F(ControlsTest, NavigatorButtonsFollowTheDatasetAndTheHandlers)
{
    addFirma(QStringLiteral("Anton"));
    FirmenSet f(m_db->db());
    f.ds.open();
    TExtNavigator nav;
    nav.setDataSet(&f.ds);
    auto bit = [](int b) { return 1 << b; };
    EXPECT_TRUE(nav.enabledBits() & bit(TExtNavigator::nbInsert));
    EXPECT_FALSE(nav.enabledBits() & bit(TExtNavigator::nbPost));
    EXPECT_FALSE(nav.button(TExtNavigator::nbExtra)->isVisibleTo(&nav)); // visible only with 0x800
    nav.setVisibleButtons(nav.VisibleButtons() | 0x800);
    EXPECT_TRUE(nav.button(TExtNavigator::nbExtra)->isVisibleTo(&nav));
    EXPECT_EQ(TExtNavigator::hintName(TExtNavigator::nbInsert), QStringLiteral("Einfügen"));

    // A handler that handles the button keeps the default away.
    QList<int> clicked;
    nav.OnButtonClick = [&](TExtNavigator *, int b, bool &handled) {
        clicked << b;
        handled = b == TExtNavigator::nbInsert;
    };
    nav.click(TExtNavigator::nbInsert);
    EXPECT_EQ(f.ds.state(), db::DataSet::Browse);
    nav.click(TExtNavigator::nbEdit);
    EXPECT_EQ(f.ds.state(), db::DataSet::Edit);
    EXPECT_TRUE(nav.enabledBits() & bit(TExtNavigator::nbPost));
    EXPECT_FALSE(nav.enabledBits() & bit(TExtNavigator::nbInsert));
    nav.click(TExtNavigator::nbCancel);
    EXPECT_EQ(clicked, (QList<int>{TExtNavigator::nbInsert, TExtNavigator::nbEdit, TExtNavigator::nbCancel}));
    // OnGetState may switch buttons off; a disabled button does nothing.
    nav.OnGetState = [&](TExtNavigator *, int &bits) { bits &= ~bit(TExtNavigator::nbEdit); };
    nav.updateState();
    nav.click(TExtNavigator::nbEdit);
    EXPECT_EQ(f.ds.state(), db::DataSet::Browse);
    // Read-only refuses changes.
    nav.OnGetState = nullptr;
    nav.setReadOnly(true);
    EXPECT_FALSE(nav.enabledBits() & (bit(TExtNavigator::nbInsert) | bit(TExtNavigator::nbEdit) | bit(TExtNavigator::nbDelete)));
}

TEST_F(ControlsTest, PopupSuchFormLeavesTheDatasetOnThePickedRow)
{
    addFirma(QStringLiteral("Anton"));
    const int b = addFirma(QStringLiteral("Berta"));
    FirmenSet f(m_db->db());
    f.ds.open();
    QWidget anchor;
    struct Case { int button; const char *text; bool picked; int expectedRow; } cases[] = {
        {Dialogs::Ok, "ber", true, 1}, {Dialogs::Cancel, "anton", false, 1}, {Dialogs::Ok, "zzz", false, 1},
    };
    for (const Case &c : cases) {
        Dialogs::expect(Dialogs::Kind::Input, Dialogs::Reply{c.button, QString::fromUtf8(c.text)}, QStringLiteral("KURZBEZEICHNUNG"));
        EXPECT_EQ(Suchtool::PopupSuchForm(0, 0, &anchor, 0, &f.ds, QStringLiteral("KURZBEZEICHNUNG"), 5), c.picked) << c.text;
        EXPECT_EQ(f.ds.recNo(), c.expectedRow) << c.text;
    }
    EXPECT_EQ(f.ds.fieldByName(QStringLiteral("ID")).value().toInt(), b);
}

TEST_F(ControlsTest, CheckListAndCalendarButton)
{
    TStrings items;
    items.AddObject(QStringLiteral("eilig"), 0);
    items.AddObject(QStringLiteral("Mail an"), 2);
    items.AddObject(QStringLiteral("GF informieren"), 5);
    TCheckList list;
    list.setItems(items);
    list.SetCheckedObjects({5, 0});
    EXPECT_EQ(list.CheckedObjects(), (QList<qint64>{0, 5}));
    EXPECT_FALSE(list.Checked(1));
    list.SetChecked(1, true);
    EXPECT_EQ(list.CheckedObjects(), (QList<qint64>{0, 2, 5}));

    QLineEdit edit;
    TCalendarBtn btn;
    btn.setEdit(&edit);
    EXPECT_EQ(btn.currentDate(), QDate::currentDate());
    edit.setText(QStringLiteral("29.02.2024"));
    EXPECT_EQ(btn.currentDate(), QDate(2024, 2, 29));
    edit.setText(QStringLiteral("31.02.2024"));
    EXPECT_EQ(btn.currentDate(), QDate::currentDate());
    btn.choose(QDate(2025, 1, 7));
    EXPECT_EQ(edit.text(), QStringLiteral("07.01.2025"));
}

TEST_F(ControlsTest, MessageHookSeesAndMayEatEvents)
{
    QLineEdit edit;
    QStringList keys;
    QObject *hook = Systools::RegisterMessageHook(&edit, [&](QObject *, QEvent *e) {
        if (e->type() != QEvent::KeyPress)
            return false;
        const QString t = static_cast<QKeyEvent *>(e)->text();
        keys << t;
        return t == QLatin1String("x");
    });
    ASSERT_NE(hook, nullptr);
    for (const char *k : {"a", "x", "b"}) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromLatin1(k));
        QApplication::sendEvent(&edit, &press);
    }
    EXPECT_EQ(keys, (QStringList{QStringLiteral("a"), QStringLiteral("x"), QStringLiteral("b")}));
    EXPECT_EQ(edit.text(), QStringLiteral("ab"));
    delete hook;
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("x"));
    QApplication::sendEvent(&edit, &press);
    EXPECT_EQ(edit.text(), QStringLiteral("abx"));
}

TEST_F(ControlsTest, WaitCursorNestsAndRestores)
{
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    Systools::WaitCursor();
    Systools::WaitCursor();
    Systools::RestoreCursor();
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Systools::RestoreCursor();
    Systools::RestoreCursor(); // one too many changes nothing
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
