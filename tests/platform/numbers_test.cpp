#include "platform/numbers.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(Numbers, GeneralFormWithWindowsExponents)
{
    EXPECT_EQ(formatFloat(480), QStringLiteral("480"));
    EXPECT_EQ(formatFloat(-2.5), QStringLiteral("-2.5"));
    EXPECT_EQ(formatFloat(0.1), QStringLiteral("0.1"));
    EXPECT_EQ(formatFloat(0.0001), QStringLiteral("0.0001"));
    EXPECT_EQ(formatFloat(0.00001), QStringLiteral("1E-5"));
    EXPECT_EQ(formatFloat(1e20), QStringLiteral("1E20"));
    EXPECT_EQ(formatFloat(123456789012345.0), QStringLiteral("123456789012345"));
    double d = 0;
    EXPECT_TRUE(parseFloat(QStringLiteral(" 1.5e3 "), d));
    EXPECT_EQ(d, 1500.0);
    EXPECT_FALSE(parseFloat(QStringLiteral("inf"), d));
    EXPECT_FALSE(parseFloat(QStringLiteral("1,5"), d));
    EXPECT_FALSE(parseFloat(QStringLiteral("1.5") + QChar(0) + QStringLiteral("9"), d));
}

TEST(Numbers, AnIntegerIsASignAndAsciiDigitsOnly)
{
    int i = 0;
    EXPECT_TRUE(parseInteger(QStringLiteral("-42"), i));
    EXPECT_EQ(i, -42);
    EXPECT_TRUE(parseInteger(QStringLiteral(" +7 "), i));
    EXPECT_EQ(i, 7);
    EXPECT_TRUE(parseInteger(QStringLiteral("-2147483648"), i));
    EXPECT_EQ(i, std::numeric_limits<int>::min());
    EXPECT_TRUE(parseInteger(QStringLiteral("2147483647"), i));
    EXPECT_EQ(i, std::numeric_limits<int>::max());

    i = 99;
    // A pasted text with a NUL in it is not the number before the NUL.
    for (const QString &bad :
         {QStringLiteral("07") + QChar(0) + QStringLiteral("junk"), QStringLiteral("5") + QChar(0),
          QStringLiteral("3000000000"), QStringLiteral("2147483648"), QStringLiteral("-2147483649"),
          QStringLiteral("99999999999999999999999"), QStringLiteral("4.0"), QStringLiteral("1e3"),
          QStringLiteral("0x10"), QStringLiteral(""), QStringLiteral("-"), QStringLiteral("+"), QStringLiteral("--1"),
          QStringLiteral("1 2"), QStringLiteral("\u0663"), QStringLiteral("\uFF11")})
        EXPECT_FALSE(parseInteger(bad, i)) << bad.toStdString();
    EXPECT_EQ(i, 99);
}

TEST(Numbers, ValuesCompareNullFirstThenByNumberOrText)
{
    EXPECT_LT(compareValues(QVariant(), QVariant(1)), 0);
    EXPECT_EQ(compareValues(QVariant(), QVariant()), 0);
    EXPECT_GT(compareValues(QVariant(10), QVariant(9.5)), 0);
    EXPECT_EQ(compareValues(QVariant(5), QVariant(QStringLiteral("5"))), 0);
    EXPECT_LT(compareValues(QVariant(QStringLiteral("B")), QVariant(QStringLiteral("a"))), 0);
}

} // namespace
