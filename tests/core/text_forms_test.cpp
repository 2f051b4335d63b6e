#include "core/text_forms.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(TextForms, BooleansBytesAndNumbersReadFromText)
{
    for (const auto &[text, value] : {std::pair{u" tRUE "_s, std::optional{true}},
                                      {u"False"_s, false},
                                      {u"-0.5"_s, true},
                                      {u"0"_s, false},
                                      {u"yes"_s, std::nullopt}})
        EXPECT_EQ(boolFromText(text), value) << text.toStdString();
    EXPECT_EQ(textFromBytes("caf\xC3\xA9") + textFromBytes("caf\xE9"), u"caf\u00E9caf\u00E9"_s);
    // Integers fit their width and round halves to even.
    const std::tuple<QString, std::optional<qint16>, std::optional<qint32>> cases[] = {
        {u"32767"_s, 32767, 32767}, {u"32768"_s, {}, 32768}, {u"-32768"_s, -32768, -32768},
        {u"-32769"_s, {}, -32769},  {u" 2.5 "_s, 2, 2},      {u"3.5"_s, 4, 4},
        {u"12abc"_s, {}, {}}};
    for (const auto &[text, int16, int32] : cases)
        EXPECT_TRUE(int16FromText(text) == int16 && int32FromText(text) == int32)
            << text.toStdString();
    for (const auto &[text, value] :
         {std::pair{u"\t-.5x"_s, -0.5}, {u"v3.8"_s, 0.0}, {u"1e2x"_s, 100.0}, {u"7e+"_s, 7.0}})
        EXPECT_DOUBLE_EQ(numberFromPrefix(text), value) << text.toStdString();
    EXPECT_EQ(int16FromNumericPrefix(u"  1.5xyz"_s) + int16FromNumericPrefix(u"32768"_s), 2);
}
