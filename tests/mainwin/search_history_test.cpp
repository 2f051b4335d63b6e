#include "mainwin/search_history.h"

#include <gtest/gtest.h>

// Adding and picking are tested through the window; a text that matches no entry cannot come
// from the history box, so its rule is tested here.
TEST(SearchHistory, DeleteRemovesTheShownEntryOrElseTheLastOne)
{
    const auto list = [](QStringList entries) { return ProjectList(std::move(entries)); };
    ProjectList projects = list({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    deleteFromHistory(projects, QStringLiteral("b"));
    EXPECT_EQ(projects, list({QStringLiteral("a"), QStringLiteral("c")}));
    deleteFromHistory(projects, QStringLiteral("unknown"));
    EXPECT_EQ(projects, list({QStringLiteral("a")}));
    deleteFromHistory(projects, QStringLiteral("anything"));
    EXPECT_TRUE(projects.isEmpty()) << "the only entry goes whatever is shown";
}
