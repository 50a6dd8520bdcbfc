#include "platform/db/decimal.h"

#include <gtest/gtest.h>

using db::Decimal;

TEST(Decimal, ParsesWhatGermanUsersType)
{
    const QLocale de(QLocale::German, QLocale::Germany);
    struct Case { const char *text; bool ok; const char *value; } cases[] = {
        {"12,5", true, "12.5000"},
        {"12.5", true, "12.5000"},       // typed the English way
        {"1.000,50", true, "1000.5000"},
        {"1.000", true, "1000.0000"},    // a thousand, not one
        {"-0,0001", true, "-0.0001"},
        {"0,00005", true, "0.0001"},     // rounds half away from zero
        {"  7 ", true, "7.0000"},
        {"12,5,3", false, ""},
        {"1.00,5", false, ""},
        {"abc", false, ""},
        {"", false, ""},
        {"12a", false, ""},
        {"99999999999999999999", false, ""}, // does not fit 64 bits
    };
    for (const Case &c : cases) {
        bool ok = true;
        const Decimal d = Decimal::parse(QString::fromUtf8(c.text), 4, &ok, de);
        EXPECT_EQ(ok, c.ok) << c.text;
        if (c.ok)
            EXPECT_EQ(d.toString(), QString::fromUtf8(c.value)) << c.text;
    }
}

TEST(Decimal, FormatsAndComparesExactly)
{
    const QLocale de(QLocale::German, QLocale::Germany);
    EXPECT_EQ(Decimal(125000, 4).toString(de), QStringLiteral("12,5000"));
    EXPECT_EQ(Decimal(-12345678900, 4).toString(de, true), QStringLiteral("-1.234.567,8900"));
    EXPECT_EQ(Decimal(5, 1), Decimal(5000, 4));
    EXPECT_TRUE(Decimal(1, 4) < Decimal(1, 2));
    // 0.1 + 0.2 is exact here
    EXPECT_EQ(Decimal(1000 + 2000, 4).toString(), QStringLiteral("0.3000"));
    EXPECT_EQ(Decimal(125, 2).rescaled(1).toString(), QStringLiteral("1.3"));
    EXPECT_EQ(Decimal(-125, 2).rescaled(1).toString(), QStringLiteral("-1.3"));
}
