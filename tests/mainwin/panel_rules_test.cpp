#include "mainwin/field_rules.h"
#include "mainwin/search_history.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(FieldRules, LimitFieldKeepsNumbersFromOneCapsAtTheMaximumAndRestoresEverythingElse)
{
    const std::tuple<QString, QString, int> table[] = {
        {u"2049"_s, u"2048"_s, 2048}, {u" 2048 "_s, u" 2048 "_s, 2048}, {u"1"_s, u"1"_s, 1},
        {u"0.9"_s, u"120"_s, 120},    {u"2.5"_s, u"2.5"_s, 2},          {u"3.5"_s, u"3.5"_s, 4},
        {u"inf"_s, u"120"_s, 120},
    };
    for (const auto &[typed, kept, value] : table) {
        EXPECT_EQ(limitFieldText(typed, u"120"_s, 2048), kept) << typed.toStdString();
        EXPECT_EQ(limitFieldValue(kept, 2048), value) << typed.toStdString();
    }
    // A text restored from another field need not be a number at all.
    EXPECT_EQ(limitFieldValue(u"99999999999abc"_s, 2048), 2048);
}

TEST(FieldRules, FileNumbersFromZeroTo9999AreAcceptedRoundedHalfToEven)
{
    using Kind = FileNumberCheck::Kind;
    const std::tuple<QString, Kind, qint32> table[] = {
        {u"0"_s, Kind::Accepted, 0},         {u"9999"_s, Kind::Accepted, 9999},
        {u"9998.5"_s, Kind::Accepted, 9998}, {u"9999.5"_s, Kind::OutOfRange, 0},
        {u"-0.5"_s, Kind::OutOfRange, 0},    {u"1 2"_s, Kind::NotANumber, 0},
    };
    for (const auto &[typed, kind, value] : table) {
        const FileNumberCheck check = checkFileNumber(typed);
        EXPECT_EQ(check.kind, kind) << typed.toStdString();
        EXPECT_EQ(check.value, value) << typed.toStdString();
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
    // The remembered text can come from the folder button or a limit field.
    EXPECT_EQ(fileNameText(u"a b"_s, u"/home/me/pictures"_s, u"Cats"_s), u"Cats"_s);
}

TEST(SearchHistory, AddPutsANewTextFirstAndPickMovesOneThereKeepingTheRestInOrder)
{
    ProjectList projects{u"a"_s, u"b"_s};
    EXPECT_FALSE(addToHistory(projects, u"b"_s));
    EXPECT_TRUE(addToHistory(projects, u"c"_s));
    EXPECT_EQ(projects, (ProjectList{u"c"_s, u"a"_s, u"b"_s}));
    EXPECT_EQ(pickedFirst(projects, u"a"_s), (ProjectList{u"a"_s, u"c"_s, u"b"_s}));
}

TEST(SearchHistory, DeleteRemovesTheFirstShownEntryOrElseTheLastOne)
{
    const std::pair<ProjectList, ProjectList> table[] = {
        {{u"a"_s, u"b"_s, u"c"_s, u"b"_s}, {u"a"_s, u"c"_s, u"b"_s}}, // "b" shown
        {{u"b"_s, u"a"_s}, {u"a"_s}},
        {{u"a"_s, u"c"_s}, {u"a"_s}}, // no "b": the last goes
        {{}, {}},
    };
    for (auto [before, after] : table) {
        deleteFromHistory(before, u"b"_s);
        EXPECT_EQ(before, after) << after.size();
    }
}
