#include "core/text_forms.h"

#include <gtest/gtest.h>

TEST(TextForms, BooleansReadTheWordsInAnyCaseAndNumbers)
{
    EXPECT_EQ(boolFromText(textFromBool(true)), true);
    EXPECT_EQ(boolFromText(textFromBool(false)), false);
    EXPECT_EQ(textFromBool(true), QStringLiteral("True"));
    EXPECT_EQ(textFromBool(false), QStringLiteral("False"));
    EXPECT_EQ(boolFromText(QStringLiteral("true")), true);
    EXPECT_EQ(boolFromText(QStringLiteral("FALSE")), false);
    EXPECT_EQ(boolFromText(QStringLiteral("1")), true);
    EXPECT_EQ(boolFromText(QStringLiteral("-1")), true);
    EXPECT_EQ(boolFromText(QStringLiteral("0")), false);
    EXPECT_EQ(boolFromText(QStringLiteral("yes")), std::nullopt);
    EXPECT_EQ(boolFromText(QString()), std::nullopt);
}

TEST(TextForms, IntegersRespectTheirWidthAndRoundHalfToEven)
{
    EXPECT_EQ(textFromInt(-42), QStringLiteral("-42"));
    EXPECT_EQ(int16FromText(QStringLiteral("100")), 100);
    EXPECT_EQ(int16FromText(QStringLiteral(" -7 ")), -7);
    EXPECT_EQ(int16FromText(QStringLiteral("32767")), 32767);
    EXPECT_EQ(int16FromText(QStringLiteral("32768")), std::nullopt);
    EXPECT_EQ(int16FromText(QStringLiteral("2.5")), 2);
    EXPECT_EQ(int16FromText(QStringLiteral("3.5")), 4);
    EXPECT_EQ(int16FromText(QStringLiteral("12abc")), std::nullopt);
    EXPECT_EQ(int16FromText(QString()), std::nullopt);
    EXPECT_EQ(int32FromText(QStringLiteral("2147483647")), 2147483647);
    EXPECT_EQ(int32FromText(QStringLiteral("2147483648")), std::nullopt);
    EXPECT_EQ(int32FromText(QStringLiteral("nan")), std::nullopt);
}

TEST(TextForms, NumericPrefixTakesTheLongestNumberAfterLeadingBlanks)
{
    EXPECT_EQ(int16FromNumericPrefix(QString()), 0);
    EXPECT_EQ(int16FromNumericPrefix(QStringLiteral("abc")), 0);
    EXPECT_EQ(int16FromNumericPrefix(QStringLiteral("  12xyz")), 12);
    EXPECT_EQ(int16FromNumericPrefix(QStringLiteral("-3")), -3);
    EXPECT_EQ(int16FromNumericPrefix(QStringLiteral("2.5 and more")), 2);
    EXPECT_EQ(int16FromNumericPrefix(QStringLiteral("1.5")), 2);
    EXPECT_EQ(int16FromNumericPrefix(QStringLiteral("1e2x")), 100);
    EXPECT_EQ(int16FromNumericPrefix(QStringLiteral("7e")), 7);
    EXPECT_EQ(int16FromNumericPrefix(QStringLiteral(".")), 0);
    EXPECT_EQ(int16FromNumericPrefix(QStringLiteral("99999")), 0) << "out of range";
}

TEST(TextForms, NumberFromPrefixStopsAtTheFirstCharacterThatCannotContinueIt)
{
    EXPECT_DOUBLE_EQ(numberFromPrefix(QStringLiteral("3.80 is out")), 3.8);
    EXPECT_DOUBLE_EQ(numberFromPrefix(QStringLiteral("3.75<br>")), 3.75);
    EXPECT_DOUBLE_EQ(numberFromPrefix(QStringLiteral("-.5x")), -0.5);
    EXPECT_DOUBLE_EQ(numberFromPrefix(QStringLiteral("v3.8")), 0);
    EXPECT_DOUBLE_EQ(numberFromPrefix(QStringLiteral("1.2.3")), 1.2);
}
