#include "crawl/version_check.h"

#include <gtest/gtest.h>

TEST(VersionCheck, OnlyAHigherDecimalOnTheFirstLineOffersTheUpgrade)
{
    for (const char *page : {"3.8", "3.75\r\nnotes", "  4 is out", "3.741"})
        EXPECT_TRUE(ParseUpgradeHtml(QString::fromLatin1(page))) << page;
    for (const char *page : {"3.74", "3.7", "2.99\r\n9.0", "", "Version 9.0", "<html>9"})
        EXPECT_FALSE(ParseUpgradeHtml(QString::fromLatin1(page))) << page;
}
