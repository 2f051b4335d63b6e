#include "core/main_window_status.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
// The model, with every signal it sends written down as "panel: text" or "caption: text".
struct WatchedStatus : MainWindowStatus {
    WatchedStatus()
    {
        connect(this, &MainWindowStatus::panelChanged, [this](int panel, const QString &text) {
            sent.append(QString::number(panel) + u": "_s + text);
        });
        connect(this, &MainWindowStatus::grabCaptionChanged,
                [this](const QString &caption) { sent.append(u"caption: "_s + caption); });
    }
    QStringList sent;
};
} // namespace

TEST(MainWindowStatus, PanelsOneToFourChangeOnlyWhileTheWindowIsOpen)
{
    WatchedStatus status;
    status.ListedFolder = u"/pictures"_s;
    status.showStatus(1, u"closed"_s);
    EXPECT_EQ(status.panelText(1), QString());

    status.MainWindowOpen = true;
    for (int panel = 0; panel <= 5; ++panel)
        status.showStatus(panel, u"text"_s + QString::number(panel));
    EXPECT_EQ(status.sent,
              (QStringList{u"1: text1"_s, u"2: text2"_s, u"3: text3"_s, u"4: text4"_s}));
    const QStringList panels{QString(), u"text1"_s, u"text2"_s, u"text3"_s, u"text4"_s, QString()};
    for (int panel = 0; panel <= 5; ++panel)
        EXPECT_EQ(status.panelText(panel), panels[panel]) << panel;
}

TEST(MainWindowStatus, GrabCaptionChangesAndIsAnnouncedWhileTheWindowIsClosed)
{
    WatchedStatus status;
    status.setGrabCaption(u"Stop"_s);
    EXPECT_EQ(status.grabCaption(), u"Stop"_s);
    EXPECT_EQ(status.sent, QStringList{u"caption: Stop"_s});
}
