#include "core/main_window_status.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(MainWindowStatus, PanelsOneToFourChangeOnlyWhileTheWindowIsOpenTheCaptionAlways)
{
    MainWindowStatus status;
    QStringList sent;
    QObject::connect(&status, &MainWindowStatus::panelChanged, [&](int panel, const QString &text) {
        sent.append(QString::number(panel) + text);
    });
    QObject::connect(&status, &MainWindowStatus::grabCaptionChanged,
                     [&](const QString &text) { sent.append(text); });
    status.showStatus(1, u"closed"_s);
    status.setGrabCaption(u"Stop"_s);
    EXPECT_EQ(status.panelText(1), QString());
    status.MainWindowOpen = true;
    for (int panel = 0; panel <= 5; ++panel)
        status.showStatus(panel, u":"_s);
    EXPECT_EQ(sent, (QStringList{u"Stop"_s, u"1:"_s, u"2:"_s, u"3:"_s, u"4:"_s}));
    for (int panel = 0; panel <= 5; ++panel)
        EXPECT_EQ(status.panelText(panel), panel % 5 ? u":"_s : QString()) << panel;
    EXPECT_EQ(status.grabCaption(), u"Stop"_s);
}
