#include "mainwin/field_rules.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(FieldRules, LimitFieldKeepsNumbersFromOneCapsAtTheMaximumAndRestoresEverythingElse)
{
    const struct {
        QString typed, kept;
        int value;
    } table[] = {
        {u"2049"_s, u"2048"_s, 2048}, {u" 2048 "_s, u" 2048 "_s, 2048}, {u"1"_s, u"1"_s, 1},
        {u"0.9"_s, u"120"_s, 120},    {u"2.5"_s, u"2.5"_s, 2},          {u"3.5"_s, u"3.5"_s, 4},
        {u"inf"_s, u"120"_s, 120},
    };
    for (const auto &row : table) {
        SCOPED_TRACE(row.typed.toStdString());
        const QString kept = limitFieldText(row.typed, u"120"_s, 2048);
        EXPECT_EQ(kept, row.kept);
        EXPECT_EQ(limitFieldValue(kept, 2048), row.value);
    }
    // A text restored from another field need not be a number at all.
    EXPECT_EQ(limitFieldValue(u"Catch"_s, 2048), 0);
    EXPECT_EQ(limitFieldValue(u"40pics"_s, 2048), 40);
    EXPECT_EQ(limitFieldValue(u"-7x"_s, 2048), 0);
    EXPECT_EQ(limitFieldValue(u"99999999999abc"_s, 2048), 2048);
}

TEST(FieldRules, FileNumbersFromZeroTo9999AreAcceptedRoundedHalfToEven)
{
    using Kind = FileNumberCheck::Kind;
    const struct {
        QString typed;
        Kind kind;
        qint32 value;
    } table[] = {
        {u"0"_s, Kind::Accepted, 0},         {u"9999"_s, Kind::Accepted, 9999},
        {u"9998.5"_s, Kind::Accepted, 9998}, {u"9999.5"_s, Kind::OutOfRange, 0},
        {u"-0.5"_s, Kind::OutOfRange, 0},    {u"1 2"_s, Kind::NotANumber, 0},
    };
    for (const auto &row : table) {
        SCOPED_TRACE(row.typed.toStdString());
        const FileNumberCheck check = checkFileNumber(row.typed);
        EXPECT_EQ(check.kind, row.kind);
        if (row.kind == Kind::Accepted) {
            EXPECT_EQ(check.value, row.value);
        }
    }
}

TEST(FieldRules, FileNameOfAsciiLettersAndDigitsOnlyNeverTakesARememberedPath)
{
    EXPECT_EQ(fileNameText(u"AZaz09"_s, u"Dogs"_s, u"Cats"_s), u"AZaz09"_s);
    // The characters just outside each range, and others.
    for (const QString &refused :
         {u"@"_s, u"["_s, u"`"_s, u"{"_s, u"/"_s, u":"_s, u"B\u00e4r"_s, u"a.b"_s, u"a b"_s})
        EXPECT_EQ(fileNameText(refused, u"Dogs"_s, u"Cats"_s), u"Dogs"_s) << refused.toStdString();
    EXPECT_EQ(fileNameText(QString(), u"Dogs"_s, u"Cats"_s), u"Catch"_s);
    EXPECT_EQ(fileNameText(u"a b"_s, QString(), u"Cats"_s), u"Catch"_s);
    // The remembered text can come from the folder button or a limit field.
    EXPECT_EQ(fileNameText(u"a b"_s, u"/home/me/pictures"_s, u"Cats"_s), u"Cats"_s);
    EXPECT_EQ(fileNameText(u"x!"_s, u"1.5"_s, u"Cats"_s), u"Cats"_s);
}
