// Host controls: navigator, check list, calendar button, search picker, message hooks, style icons.

#include "hostfixture.h"

#include "host/shellware/calendarbtn.h"
#include "host/shellware/checklist.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/extnavigator.h"
#include "host/shellware/iconstyle.h"
#include "host/shellware/suchtool.h"
#include "host/shellware/systools.h"
#include "platform/db/dataset.h"
#include "platform/db/transaction.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProxyStyle>
#include <QStyleOption>
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

// The standard icons are read once and come from the same style as before: per icon, writing
// direction and palette, each the same picture the style itself gives.
TEST_F(ControlsTest, StandardIconsAreKeptButLookAsTheStyleDrawsThem)
{
    const QString styleName = QApplication::style()->name();
    Shell::EnsureIconCache();
    QStyle *style = QApplication::style();
    auto *proxy = qobject_cast<QProxyStyle *>(style);
    ASSERT_NE(proxy, nullptr);
    EXPECT_EQ(proxy->baseStyle()->name(), styleName);
    Shell::EnsureIconCache();
    EXPECT_EQ(QApplication::style(), style) << "installed once";

    QWidget w;
    auto picture = [](const QIcon &i) { return i.pixmap(QSize(16, 16)).toImage(); };
    for (Qt::LayoutDirection dir : {Qt::LeftToRight, Qt::RightToLeft}) {
        QStyleOption opt;
        opt.initFrom(&w);
        opt.direction = dir;
        for (QStyle::StandardPixmap sp : {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_LineEditClearButton,
                                          QStyle::SP_DialogSaveButton}) {
            const QIcon first = style->standardIcon(sp, &opt, &w);
            const QIcon again = style->standardIcon(sp, &opt, &w);
            EXPECT_EQ(first.cacheKey(), again.cacheKey()) << sp;
            EXPECT_EQ(picture(first), picture(proxy->baseStyle()->standardIcon(sp, &opt, &w))) << sp << " " << dir;
        }
    }
    // Mirrored arrows stay mirrored.
    QStyleOption ltr, rtl;
    ltr.initFrom(&w);
    rtl.initFrom(&w);
    rtl.direction = Qt::RightToLeft;
    const QImage a = picture(style->standardIcon(QStyle::SP_ArrowBack, &ltr, &w));
    const QImage b = picture(style->standardIcon(QStyle::SP_ArrowBack, &rtl, &w));
    EXPECT_EQ(a == b, picture(proxy->baseStyle()->standardIcon(QStyle::SP_ArrowBack, &ltr, &w))
                          == picture(proxy->baseStyle()->standardIcon(QStyle::SP_ArrowBack, &rtl, &w)));
}
