#include "mainwin/search_history.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

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
        {{u"a"_s}, {}},
        {{}, {}},
    };
    for (auto [before, after] : table) {
        deleteFromHistory(before, u"b"_s);
        EXPECT_EQ(before, after) << after.size();
    }
}
