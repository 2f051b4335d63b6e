#pragma once

#include "support/crawl_state.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

// The state a grab works on, with its project file in a folder of its own.
class GrabFixture : public ::testing::Test, protected CrawlState {
protected:
    GrabFixture() { grab.ProjectFilePath = folder.filePath(QStringLiteral("project.txt")); }
    QTemporaryDir folder;
};
