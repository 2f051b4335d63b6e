#include "mainwin/search_history.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(SearchHistory, AddPutsANewTextFirstAndPickMovesOneThereKeepingTheRestInOrder)
{
    ProjectList projects{u"a"_s, u"b"_s};
    EXPECT_FALSE(addToHistory(projects, u"b"_s));
    EXPECT_TRUE(addToHistory(projects, u"c"_s));
    EXPECT_EQ(projects, (ProjectList{u"c"_s, u"a"_s, u"b"_s}));
    projects.append(u"d"_s);
    EXPECT_EQ(pickedFirst(projects, u"b"_s), (ProjectList{u"b"_s, u"c"_s, u"a"_s, u"d"_s}));
}

TEST(SearchHistory, DeleteRemovesTheFirstShownEntryOrElseTheLastOne)
{
    const struct {
        ProjectList before;
        QString shown;
        ProjectList after;
    } table[] = {
        {{u"a"_s, u"b"_s, u"c"_s, u"b"_s}, u"b"_s, {u"a"_s, u"c"_s, u"b"_s}},
        {{u"a"_s, u"b"_s}, u"a"_s, {u"b"_s}},
        {{u"a"_s, u"b"_s, u"c"_s}, u"x"_s, {u"a"_s, u"b"_s}},
        {{u"a"_s}, u"x"_s, {}},
        {{}, u"x"_s, {}},
    };
    for (auto row : table) {
        deleteFromHistory(row.before, row.shown);
        EXPECT_EQ(row.before, row.after) << row.after.size();
    }
}
