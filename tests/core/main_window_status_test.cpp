#include "core/main_window_status.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
// The model, with every signal it sends recorded.
struct WatchedStatus : MainWindowStatus {
    WatchedStatus()
    {
        QObject::connect(
            this, &MainWindowStatus::panelChanged,
            [this](int panel, const QString &text) { panels.emplace_back(panel, text); });
        QObject::connect(this, &MainWindowStatus::grabCaptionChanged,
                         [this](const QString &caption) { captions.append(caption); });
    }

    std::vector<std::pair<int, QString>> panels;
    QStringList captions;
};
} // namespace

TEST(MainWindowStatus, PanelsOneToFourChangeOnlyWhileTheWindowIsOpen)
{
    WatchedStatus status;
    status.showStatus(1, u"closed"_s);
    EXPECT_EQ(status.panelText(1), QString());
    EXPECT_TRUE(status.panels.empty());

    status.MainWindowOpen = true;
    for (int panel = 0; panel <= 5; ++panel)
        status.showStatus(panel, u"text %1"_s.arg(panel));
    const std::vector<std::pair<int, QString>> shown{
        {1, u"text 1"_s}, {2, u"text 2"_s}, {3, u"text 3"_s}, {4, u"text 4"_s}};
    EXPECT_EQ(status.panels, shown);
    for (int panel = 0; panel <= 5; ++panel) {
        EXPECT_EQ(status.panelText(panel),
                  panel >= 1 && panel <= 4 ? u"text %1"_s.arg(panel) : QString())
            << panel;
    }
}

TEST(MainWindowStatus, GrabCaptionChangesAndIsAnnouncedEvenWhileTheWindowIsClosed)
{
    WatchedStatus status;
    status.setGrabCaption(u"Stop"_s);
    EXPECT_EQ(status.grabCaption(), u"Stop"_s);
    EXPECT_EQ(status.captions, QStringList{u"Stop"_s});
    EXPECT_TRUE(status.panels.empty());
}
