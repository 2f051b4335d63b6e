#include "core/main_window_status.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(MainWindowStatus, PanelsOneToFourChangeOnlyWhileTheWindowIsOpenTheCaptionAlways)
{
    MainWindowStatus status;
    QStringList captions;
    QObject::connect(&status, &MainWindowStatus::grabCaptionChanged,
                     [&](const QString &text) { captions.append(text); });
    status.showStatus(1, u"closed"_s);
    status.setGrabCaption(u"Stop"_s);
    EXPECT_EQ(status.panelText(1), QString());
    EXPECT_EQ(captions, QStringList{u"Stop"_s});
    status.MainWindowOpen = true;
    for (int panel = 0; panel <= 5; ++panel)
        status.showStatus(panel, u":"_s);
    for (int panel = 0; panel <= 5; ++panel)
        EXPECT_EQ(status.panelText(panel), panel % 5 ? u":"_s : QString()) << panel;
}
