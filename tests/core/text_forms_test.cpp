#include "core/text_forms.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(TextForms, BooleansReadTheWordsInAnyCaseAndNumbers)
{
    EXPECT_EQ(textFromBool(true), u"True"_s);
    EXPECT_EQ(textFromBool(false), u"False"_s);
    const std::pair<QString, std::optional<bool>> cases[] = {
        {u"true"_s, true}, {u" FALSE "_s, false}, {u"-1"_s, true},           {u"0.5"_s, true},
        {u"0"_s, false},   {u"yes"_s, {}},        {QString(), std::nullopt},
    };
    for (const auto &[text, value] : cases)
        EXPECT_EQ(boolFromText(text), value) << text.toStdString();
}

TEST(TextForms, IntegersFitTheirWidthAndRoundHalfToEven)
{
    EXPECT_EQ(textFromInt(-42), u"-42"_s);
    const std::pair<QString, std::optional<qint16>> shorts[] = {
        {u" -7 "_s, -7},   {u"32767"_s, 32767}, {u"32768"_s, {}}, {u"-32768"_s, -32768},
        {u"-32769"_s, {}}, {u"2.5"_s, 2},       {u"3.5"_s, 4},    {u"12abc"_s, {}},
        {QString(), {}},   {u"inf"_s, {}},
    };
    for (const auto &[text, value] : shorts)
        EXPECT_EQ(int16FromText(text), value) << text.toStdString();
    EXPECT_EQ(int32FromText(u"2147483647"_s), 2147483647);
    EXPECT_EQ(int32FromText(u"2147483648"_s), std::nullopt);
    EXPECT_EQ(int32FromText(u"-2147483648"_s), -2147483647 - 1);
    EXPECT_EQ(int32FromText(u"-2147483649"_s), std::nullopt);
}

TEST(TextForms, NumericPrefixStopsAtTheFirstCharacterThatCannotContinueIt)
{
    const std::pair<QString, double> numbers[] = {
        {u"3.80 is out"_s, 3.8}, {u"\t-.5x"_s, -0.5}, {u"v3.8"_s, 0},
        {u"1.2.3"_s, 1.2},       {u"1e2x"_s, 100},    {u"7e"_s, 7},
        {u"7e+"_s, 7},           {u"."_s, 0},         {u"+"_s, 0},
        {QString(), 0},
    };
    for (const auto &[text, value] : numbers)
        EXPECT_DOUBLE_EQ(numberFromPrefix(text), value) << text.toStdString();
    EXPECT_EQ(int16FromNumericPrefix(u"  1.5xyz"_s), 2);
    EXPECT_EQ(int16FromNumericPrefix(u"99999"_s), 0) << "out of range";
}

TEST(TextForms, BytesAreUtf8OrElseLatin1)
{
    EXPECT_EQ(textFromBytes("caf\xC3\xA9"), u"caf\u00E9"_s);
    EXPECT_EQ(textFromBytes("caf\xE9 au lait"), u"caf\u00E9 au lait"_s);
    EXPECT_EQ(textFromBytes("caf\xE9"), u"caf\u00E9"_s);
}
