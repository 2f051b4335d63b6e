#include "mainwin/search_history.h"

#include <gtest/gtest.h>

namespace {
ProjectList list(std::initializer_list<const char16_t *> entries)
{
    ProjectList projects;
    for (const char16_t *entry : entries)
        projects.append(QString::fromUtf16(entry));
    return projects;
}
} // namespace

TEST(SearchHistory, NewSearchGoesFirstARepeatedOneStaysWhereItIs)
{
    ProjectList projects = list({u"b", u"a"});
    EXPECT_TRUE(addToHistory(projects, QStringLiteral("c")));
    EXPECT_EQ(projects, list({u"c", u"b", u"a"}));
    EXPECT_FALSE(addToHistory(projects, QStringLiteral("a")));
    EXPECT_EQ(projects, list({u"c", u"b", u"a"}));
    EXPECT_TRUE(addToHistory(projects, QStringLiteral("A"))) << "entries compare exactly";
    EXPECT_EQ(projects.size(), 4);
}

TEST(SearchHistory, PickedEntryMovesFirstAndTheOthersKeepTheirOrder)
{
    const ProjectList projects = list({u"e0", u"e1", u"e2", u"e3", u"e4"});
    EXPECT_EQ(pickedFirst(projects, QStringLiteral("e3")),
              list({u"e3", u"e0", u"e1", u"e2", u"e4"}));
    EXPECT_EQ(pickedFirst(projects, QStringLiteral("e0")), projects);
    EXPECT_EQ(pickedFirst(projects, QStringLiteral("e4")),
              list({u"e4", u"e0", u"e1", u"e2", u"e3"}));
}

TEST(SearchHistory, DeleteRemovesTheShownEntryOrElseTheLastOne)
{
    ProjectList projects = list({u"a", u"b", u"c"});
    deleteFromHistory(projects, QStringLiteral("b"));
    EXPECT_EQ(projects, list({u"a", u"c"}));
    deleteFromHistory(projects, QStringLiteral("unknown"));
    EXPECT_EQ(projects, list({u"a"})) << "a text that matches nothing drops the last entry";
    deleteFromHistory(projects, QStringLiteral("anything"));
    EXPECT_TRUE(projects.isEmpty()) << "the only entry goes whatever is shown";

    projects = list({u"a", u"b", u"c"});
    deleteFromHistory(projects, QStringLiteral("c"));
    EXPECT_EQ(projects, list({u"a", u"b"}));
}
