#include "host/shellware/dialogs.h"
#include "host/shellware/systools.h"
#include "kit/entry/dateentry.h"
#include "kit/entry/gridfit.h"
#include "kit/entry/inputfilter.h"
#include "kit/entry/telefon.h"
#include "kit/entry/timeentry.h"
#include "kit/entry/weblinks.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace kit;

TEST(DateEntry, ShortFormsBecomeFullDates)
{
    const QDate today(2026, 12, 11);
    struct Case { const char *typed; const char *expected; } cases[] = {
        {"2503", "25.03.2026"},     // day and month: this year
        {"25.03.", "25.03.2026"},
        {"0103", "01.03.2026"},
        {"010324", "01.03.2024"},
        {"1.3.24", "01.03.2024"},
        {"12.5.48", "12.05.1948"},  // two digits far ahead of today: last century
        {"29.02.2024", "29.02.2024"},
        {" 7.7.2027 ", "07.07.2027"},
        {"31.02.", ""},             // no such day
        {"29.02.2026", ""},
        {"3112", "31.12.2026"},
        {"13.13.", ""},
        {"1.2.3.4", ""},
        {"99", ""},
        {"..", ""},
        {"12.3.20245", ""},
    };
    for (const Case &c : cases) {
        bool ok = true;
        const QString r = NormalizeDateText(QString::fromUtf8(c.typed), today, &ok);
        EXPECT_EQ(r, QString::fromUtf8(c.expected)) << c.typed;
        EXPECT_EQ(ok, *c.expected != 0) << c.typed;
    }
}

TEST(DateEntry, EditIsNormalisedOnLeavingAndEmptiedWhenInvalid)
{
    QWidget w;
    auto *edit = new QLineEdit(&w);
    auto *other = new QLineEdit(&w);
    DateEntryFilter::install(edit);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("25a.x03/."));   // letters and "/" are swallowed
    EXPECT_EQ(edit->text(), QStringLiteral("25.03."));
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(edit->text(), QStringLiteral("25.03.%1").arg(QDate::currentDate().year()));

    Systools::Protocol::instance().clear();
    edit->setFocus();
    edit->setText(QStringLiteral("31.02."));
    other->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(edit->text().isEmpty());
    ASSERT_FALSE(Systools::Protocol::instance().lines().isEmpty());
    EXPECT_EQ(Systools::Protocol::instance().lines().last().context, QStringLiteral("FormatDatum"));
}

TEST(TimeEntry, TypedTimesBecomeMinutes)
{
    struct Case { const char *typed; int minutes; const char *shown; } cases[] = {
        {"830", 510, "08:30"},
        {"8:30", 510, "08:30"},
        {"8\u00B730", 510, "08:30"},
        {"8", 8, "00:08"},
        {"8 0", 480, "08:00"},      // a blank counts as "0"
        {"0:00", 0, "00:00"},
        {"23:59", 1439, "23:59"},
        {"24:00", 1440, "+00:00"},
        {"+0:00", 1440, "+00:00"},
        {"12:\t30\n", 750, "12:30"},
        {"24:01", -1, ""},
        {"+0:01", -1, ""},
        {"8:60", -1, ""},
        {"8h30", -1, ""},
        {"-5", -1, ""},
        {"999999999999", -1, ""},
    };
    for (const Case &c : cases) {
        const std::optional<int> m = ParseMinutes(QString::fromUtf8(c.typed));
        if (c.minutes < 0) {
            EXPECT_FALSE(m.has_value()) << c.typed;
            continue;
        }
        ASSERT_TRUE(m.has_value()) << c.typed;
        EXPECT_EQ(*m, c.minutes) << c.typed;
        EXPECT_EQ(FormatMinutes(*m), QString::fromUtf8(c.shown)) << c.typed;
    }
    EXPECT_EQ(InvalidTimeMessage(QStringLiteral("24:01")), QStringLiteral("\"24:01\" is keine gültige Stunden-/Minutenangabe"));
}

TEST(TimeEntry, InvalidEditShowsTheMessageAndKeepsFocus)
{
    QStringList unexpected;
    Dialogs::setScripted(true, [&](const QString &d) { unexpected << d; });
    Dialogs::expect(Dialogs::Kind::Message, Dialogs::Reply{Dialogs::Ok, {}}, QStringLiteral("keine gültige Stunden-/Minutenangabe"));
    QWidget w;
    auto *edit = new QLineEdit(&w);
    auto *other = new QLineEdit(&w);
    TimeEntryFilter::install(edit);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    edit->setFocus();
    edit->setText(QStringLiteral("24:01"));
    other->setFocus();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->text(), QStringLiteral("24:01"));
    edit->setText(QStringLiteral("930"));
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(edit->text(), QStringLiteral("09:30"));
    EXPECT_TRUE(unexpected.isEmpty()) << unexpected.join(QLatin1Char('\n')).toStdString();
    Dialogs::setScripted(false);
}

TEST(Telephone, NumbersAreNormalised)
{
    struct Case { const char *in, *out; } cases[] = {
        {"+49 (030) 123 45", "+49-03012345"},
        {"030/123456", "030-123456"},
        {"030 / 12 34 56", "030-123456"},
        {"0049-30-1234", "0049-301234"},
        {"Tel. 089 1234", "089-1234"},
        {"++49 30", "+49-30"},
        {"49+30", "4930"},
        {"030[12]34\\5", "030-12345"},
        {"(030) 1234", "030-1234"},
        {"keine", ""},
        {"", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(NormalizeTelephone(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST(InputFilter, TextIsCleanedByKindAndOptions)
{
    const InputOptions none;
    const InputOptions emptyIsD{.emptyCountryIsGermany = true};
    const InputOptions colon{.dateAcceptsColon = true};
    struct Case { InputKind kind; InputOptions options; const char *land, *in, *out; } cases[] = {
        {InputKind::Land, none, "", "d-e 1ä", "DE"},
        {InputKind::Plz, none, "D", "80 33a1-99", "80331"},      // Germany: five digits at most
        {InputKind::Plz, none, "d ", "１２345", "345"},           // no digits beyond ASCII
        {InputKind::Plz, none, "A", "A-1010 Wien", "A-1010 Wien"},
        {InputKind::Plz, none, "", "NL 1234 AB", "NL 1234 AB"},  // empty country: free
        {InputKind::Plz, emptyIsD, "", "NL 1234 AB", "1234"},
        {InputKind::Plz, emptyIsD, "  ", "123456", "12345"},
        {InputKind::Plz, emptyIsD, "CH", "CH-8001", "CH-8001"},
        {InputKind::Telefon, none, "", "+49 (030) 12-34/5", "4903012-345"},
        {InputKind::TelefonBlank, none, "", "+49 (030) 12-34/5", "49 030 12-345"},
        {InputKind::Bank, none, "", "DE12 3456.78", "12 345678"},
        {InputKind::Datum, none, "", "1.2.26 12:30", "1.2.261230"},
        {InputKind::Datum, colon, "", "1.2.26 12:30", "1.2.2612:30"},
        {InputKind::Telefon, colon, "", "1:2", "12"},             // the date option leaves other kinds alone
    };
    for (const Case &c : cases)
        EXPECT_EQ(CleanInput(c.kind, QString::fromUtf8(c.in), QString::fromUtf8(c.land), c.options), QString::fromUtf8(c.out))
            << int(c.kind) << " " << c.in;
}

TEST(InputFilter, TypedAndPastedTextFollowsTheRules)
{
    QWidget w;
    auto *land = new QLineEdit(&w);
    auto *plz = new QLineEdit(&w);
    auto *plzEmptyD = new QLineEdit(&w);
    auto *datum = new QLineEdit(&w);
    auto *datumColon = new QLineEdit(&w);
    InputFilter::install(land, InputKind::Land);
    InputFilter::install(plz, InputKind::Plz, [land]() { return land->text(); });
    InputFilter::install(plzEmptyD, InputKind::Plz, [land]() { return land->text(); }, {.emptyCountryIsGermany = true});
    InputFilter::install(datum, InputKind::Datum);
    InputFilter::install(datumColon, InputKind::Datum, {}, {.dateAcceptsColon = true});
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

    struct Case { QLineEdit *edit; const char *country, *typed, *shown; } cases[] = {
        {land, "", "d1e", "DE"},
        {plz, "", "ab-12", "ab-12"},
        {plzEmptyD, "", "ab-123456", "12345"},
        {plz, "D", "ab-123456", "12345"},
        {plzEmptyD, "F", "F-75001", "F-75001"},
        {datum, "", "1.2:30x", "1.230"},
        {datumColon, "", "1.2:30x", "1.2:30"},
    };
    for (const Case &c : cases) {
        land->setText(QString::fromUtf8(c.country));
        c.edit->clear();
        c.edit->setFocus();
        QTest::keyClicks(c.edit, QString::fromUtf8(c.typed));
        EXPECT_EQ(c.edit->text(), QString::fromUtf8(c.shown)) << "typed " << c.typed;
        c.edit->clear();
        QApplication::clipboard()->setText(QString::fromUtf8(c.typed));
        c.edit->paste();
        EXPECT_EQ(c.edit->text(), QString::fromUtf8(c.shown)) << "pasted " << c.typed;
    }

    // A selection is replaced by the key, so a full German postal code can still be overtyped.
    land->setText(QStringLiteral("D"));
    plz->setText(QStringLiteral("12345"));
    plz->setFocus();
    plz->setSelection(4, 1);
    QTest::keyClick(plz, Qt::Key_9);
    EXPECT_EQ(plz->text(), QStringLiteral("12349"));
}

TEST(InputFilter, DeleteClearsADateEditOnlyWithTheOption)
{
    QWidget w;
    auto *plain = new QLineEdit(&w);
    auto *clearing = new QLineEdit(&w);
    auto *plainFilter = InputFilter::install(plain, InputKind::Datum);
    auto *clearingFilter = InputFilter::install(clearing, InputKind::Datum, {}, {.deleteClearsDate = true});
    QSignalSpy plainSpy(plainFilter, &InputFilter::clearRequested);
    QSignalSpy clearingSpy(clearingFilter, &InputFilter::clearRequested);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

    // Without the option Delete removes the character after the cursor, as usual.
    plain->setText(QStringLiteral("01.02.2026"));
    plain->setFocus();
    plain->setCursorPosition(0);
    QTest::keyClick(plain, Qt::Key_Delete);
    EXPECT_EQ(plain->text(), QStringLiteral("1.02.2026"));
    EXPECT_EQ(plainSpy.count(), 0);

    clearing->setText(QStringLiteral("01.02.2026"));
    clearing->setFocus();
    clearing->setCursorPosition(0);
    QTest::keyClick(clearing, Qt::Key_Delete);
    EXPECT_TRUE(clearing->text().isEmpty());
    EXPECT_EQ(clearingSpy.count(), 1);

    // A read-only date stays as it is.
    clearing->setText(QStringLiteral("01.02.2026"));
    clearing->setReadOnly(true);
    QTest::keyClick(clearing, Qt::Key_Delete);
    EXPECT_EQ(clearing->text(), QStringLiteral("01.02.2026"));
    EXPECT_EQ(clearingSpy.count(), 1);
}

TEST(GridFit, FreeWidthGoesToTaggedColumns)
{
    struct Case { int client; QVector<int> widths, tags; bool lines, indicator; QVector<int> expected; } cases[] = {
        // 400 - 300 = 100 free, two tagged columns get 50 each
        {400, {100, 100, 100}, {0, 50, 50}, false, false, {100, 150, 150}},
        // lines (3) and indicator (11): 86 free, 43 each
        {400, {100, 100, 100}, {0, 50, 50}, true, true, {100, 143, 143}},
        // too narrow: tagged columns shrink, never below their tag
        {250, {100, 100, 100}, {0, 80, 30}, false, false, {100, 80, 75}},
        // no tagged column: nothing changes
        {900, {100, 100}, {0, 0}, false, false, {100, 100}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FitColumnWidths(c.client, c.widths, c.tags, c.lines, c.indicator), c.expected);
}

TEST(WebLinks, TypedAddressesBecomeSafeLinks)
{
    struct Case { const char *typed; const char *mail; const char *web; } cases[] = {
        {"info@schneider.de", "mailto:info@schneider.de", "http://info@schneider.de"},
        {"  a@b.de  ", "mailto:a@b.de", "http://a@b.de"},
        // Header injection stays part of the address, percent-encoded.
        {"a@b.de?cc=c@d.de&body=x", "mailto:a@b.de%3Fcc=c@d.de&body=x", "http://a@b.de?cc=c@d.de&body=x"},
        {"www.schneider.de", "mailto:www.schneider.de", "http://www.schneider.de"},
        {"https://example.de/x?y=1", "", "https://example.de/x?y=1"},
        {"file:///etc/passwd", "", ""},
        {"/usr/bin/xterm", "", ""},
        {"   ", "", ""},
    };
    for (const Case &c : cases) {
        const QString typed = QString::fromUtf8(c.typed);
        if (*c.mail) {
            EXPECT_EQ(MailUrl(typed).toString(QUrl::FullyEncoded), QString::fromUtf8(c.mail)) << c.typed;
        }
        EXPECT_EQ(WebUrl(typed).toString(), QString::fromUtf8(c.web)) << c.typed;
    }
    EXPECT_TRUE(MailUrl(QStringLiteral(" ")).isEmpty());
    EXPECT_FALSE(OpenMail(QString()));
    EXPECT_FALSE(OpenWeb(QStringLiteral("file:///etc/passwd")));
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
