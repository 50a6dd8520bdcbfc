#include "kit/numbermask.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// Tuesday, 5 March 2024, 09:07:04.
const QDateTime kDate(QDate(2024, 3, 5), QTime(9, 7, 4));

struct MaskCase
{
    const char *mask; // UTF-8
    qint64 counter;
    const char *expected; // UTF-8
};

void PrintTo(const MaskCase &c, std::ostream *os)
{
    *os << '"' << c.mask << "\" counter " << c.counter;
}

QString Eval(const char *mask, qint64 counter, const QDateTime &date = kDate)
{
    return kit::EvaluateNumberMask(QString::fromUtf8(mask), counter, date);
}

class NumberMaskTest : public ::testing::TestWithParam<MaskCase>
{};

TEST_P(NumberMaskTest, Evaluates)
{
    const MaskCase &c = GetParam();
    EXPECT_EQ(Eval(c.mask, c.counter).toStdString(), std::string(c.expected));
}

// The example masks, in the order of NumberMaskExamples().
const MaskCase kExamples[] = {
    {"Zahl(.8)", 1234, "00001234"},
    {"Datum(JJMM) Zahl(.6)", 1234, "2403001234"},
    {"Text(R) Datum(JJMM) Zahl(.6)", 1234, "R2403001234"},
    {"Datum(JJMM)", 1234, "24031234"},
    {"Datum(T/M/J)", 1234, "5.3.241234"},
    {"Datum(TT.MMM.JJJJ)", 1234, "05.Mär.20241234"},
    {"Datum(TT/MMMM/JJJJ)", 1234, "05.März.20241234"},
    {"Datumgross(TT/MMM/JJJJ)", 1234, "05.MÄR.20241234"},
    {"Datum(H:N)", 1234, "9:71234"},
    {"Datum(HH:NN:SS)", 1234, "09:07:041234"},
    {"(TT/MM/JJJJ HH:NN:SS)", 1234, "1234"},
    {"Zahl()", 1234, "1234"},
    {"Zahl(.6)", 1234, "001234"},
    {"Text(Testformat)", 1234, "Testformat1234"},
    {"Textgross(Testformat)", 1234, "TESTFORMAT1234"},
};
INSTANTIATE_TEST_SUITE_P(Examples, NumberMaskTest, ::testing::ValuesIn(kExamples));

const MaskCase kRules[] = {
    // empty mask and whitespace
    {"", 1234, "1234"},
    {" \t ", -7, "-7"},
    {"  Zahl(.6)  ", 1234, "001234"},
    // keyword spelling: case, blanks and "_" do not matter
    {"da tum_(jjmm)", 1234, "24031234"},
    {"TEXT_GROSS(abc)", 5, "ABC5"},
    // unknown keyword skipped, empty keyword ends the loop
    {"Foo(bar) Zahl(.6)", 1234, "001234"},
    {"Text(A)(B)Text(C)", 1234, "A1234"},
    // date picture: runs, weekday, short and long time, two- and four-digit year, quotes
    {"Datum(TTT TTTT)", 1, "Di Dienstag1"},
    {"Datum(Z)", 1, "09:071"},
    {"Datum(ZZ)", 1, "09:07:041"},
    {"Datum(J JJJ)", 1, "24 20241"},
    {"Datum(MMMMM)", 1, "März1"},
    {"Datum('KW' h)", 1, "KW 91"},
    {"Datum(\"x/y)", 1, "x/y1"},
    {"Datumgross(MMMM)", 1, "MÄRZ1"},
    {"Textgross(Straße)", 1, "STRAßE1"},
    // number picture: width, flags, precision, hex, literal text
    {"Zahl(8)", 1234, "    1234"},
    {"Zahl(-8)Text(|)", 1234, "1234    |"},
    {"Zahl(08)", 1234, "00001234"},
    {"Zahl(08.5)", 1234, "   01234"},
    {"Zahl(+d)", 1234, "+1234"},
    {"Zahl( d)", 1234, " 1234"},
    {"Zahl(x)", 1234, "4d2"},
    {"Zahl(.8X)", 1234, "000004D2"},
    {"Zahl(.6D)", 1234, "001234"},
    {"Zahl(Nr. %.5d)", 1234, "Nr. 01234"},
    {"Zahl(%%)", 1234, "%d"},
    {"Zahl(%)", 1234, "1234"},
    {"Zahl(.4)", -42, "-0042"},
    {"Zahl(x)", -42, "-2a"},
    {"Zahl(.0)", 0, "0"},
    {"Zahl()", std::numeric_limits<qint64>::min(), "-9223372036854775808"},
    {"Zahl(X)", std::numeric_limits<qint64>::min(), "-8000000000000000"},
    // unbalanced parentheses
    {"Zahl(.6", 1234, "1234"},
    {"Text(R", 1234, "1234"},
    {"Text(a(b)c)", 1234, "a(b1234"},
    {"Text)R(", 1234, "1234"},
    {")(", 1234, "1234"},
    // huge width and precision are capped at 30
    {"Zahl(.500)", 1234, "000000000000000000000000001234"},
    {"Zahl(99999999999999999999999)", 1, "                             1"},
    // smuggled conversions and other errors end the evaluation with the text so far
    {"Text(A)Zahl(%n)", 1234, "A"},
    {"Text(A)Zahl(%s)", 1234, "A"},
    {"Text(A)Zahl(%d%d)Text(B)", 1234, "A"},
    {"Text(A)Zahl(%*d)", 1234, "A"},
    {"Text(A)Zahl(#x)", 1234, "A"},
    {"Text(A)Zahl(%1$d)", 1234, "A"},
    {"Text(A)Zahl(%.6ld)", 1234, "A"},
    // the result never exceeds 100 characters
    {"Zahl(.30)Zahl(.30)Zahl(.30)Zahl(.30)", 7,
     "000000000000000000000000000007000000000000000000000000000007000000000000000000000000000007"},
};
INSTANTIATE_TEST_SUITE_P(Rules, NumberMaskTest, ::testing::ValuesIn(kRules));

TEST(NumberMaskExamples, NamesAndMasksInOrder)
{
    const QStringList examples = kit::NumberMaskExamples();
    ASSERT_EQ(examples.size(), int(std::size(kExamples)));
    const char *const names[] = {
        "Standard 8 stellig", "Standard mit Datum und 6 stellig", "Rechnungsnummer mit Datum",
        "Datum Standard", "Datum kurz", "Datum lang", "Datum mit Monatsnamen",
        "Datum mit Monatsnamen groß", "Zeit kurz", "Zeit lang", "Datum und Zeit", "Zähler kurz",
        "Zähler 6 stellig", "Textzeichen", "Textzeichen groß"};
    for (int i = 0; i < examples.size(); ++i) {
        const qsizetype eq = examples[i].indexOf(u'=');
        ASSERT_GT(eq, 0) << examples[i].toStdString();
        EXPECT_EQ(examples[i].left(eq), QString::fromUtf8(names[i]));
        EXPECT_EQ(examples[i].mid(eq + 1), QString::fromUtf8(kExamples[i].mask));
    }
}

QString Text(const QString &inner)
{
    return QStringLiteral("Text(") + inner + u')';
}

TEST(NumberMask, ResultIsCappedAt100Characters)
{
    // A text part that fills the result leaves no room for the appended counter.
    const QString full(kit::NumberMaskMaxLength, u'x');
    EXPECT_EQ(kit::EvaluateNumberMask(Text(full), 1234, kDate), full);
    const QString almost(kit::NumberMaskMaxLength - 3, u'x');
    EXPECT_EQ(kit::EvaluateNumberMask(Text(almost), 1234, kDate), almost);
    const QString room(kit::NumberMaskMaxLength - 4, u'x');
    EXPECT_EQ(kit::EvaluateNumberMask(Text(room), 1234, kDate), room + QStringLiteral("1234"));
    // A part that would overflow is dropped whole, with everything after it.
    EXPECT_EQ(kit::EvaluateNumberMask(Text(almost) + QStringLiteral("Text(yyyy)Text(z)"), 1, kDate), almost);
}

TEST(NumberMask, WorkedExample)
{
    const QDateTime march(QDate(2024, 3, 28), QTime(17, 0));
    EXPECT_EQ(Eval("Text(R) Datum(JJMM) Zahl(.6)", 1234, march), QStringLiteral("R2403001234"));
    EXPECT_EQ(Eval("(TT/MM/JJJJ HH:NN:SS)", 1234, march), QStringLiteral("1234"));
}

} // namespace
