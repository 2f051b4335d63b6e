#include "netmeter/traffic_meter.h"

#include "core/language_table.h"
#include "core/main_window_status.h"
#include "netmeter/interface_rows.h"
#include "netmeter/ip_helper.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

namespace {

class TrafficMeterTest : public ::testing::Test {
protected:
    // One tick with the machine's received total at the given value.
    void tickAt(quint32 total)
    {
        table.table = tableOf({tableRow({{IfRow::Index, 3}, {IfRow::InOctets, total}})});
        meter.Tick();
    }

    ScriptedInterfaceTable table;
    ScriptedMessageBoxes messages;
    LanguageText texts;
    CIpHelper helper{table, messages, texts};
    MainWindowStatus status;
    TrafficMeter meter{helper, status};
};

} // namespace

TEST_F(TrafficMeterTest, ShowsTheWholeKilobytesReceivedSinceThePreviousTick)
{
    const struct {
        quint32 previous, current;
        qint32 figure;
    } cases[] = {
        {1000000, 1600000, 585},
        {5000, 6023, 0},
        {5000, 6024, 1},
        {5000, 5000, 0},
        // Across a wrap of the total at 2^32 or at 2^31 the figure stays small and positive.
        {0xFFFFFF00u, 0x00000300u, 1},
        {0x7FFFFF00u, 0x80000300u, 1},
    };
    for (const auto &c : cases) {
        TrafficMeter fresh(helper, status);
        status.MainWindowOpen = true;
        table.table = tableOf({tableRow({{IfRow::InOctets, c.previous}})});
        fresh.Tick();
        EXPECT_EQ(fresh.DownloadSpeed, 0) << "the first tick";
        table.table = tableOf({tableRow({{IfRow::InOctets, c.current}})});
        fresh.Tick();
        EXPECT_EQ(fresh.DownloadSpeed, c.figure) << c.previous << " to " << c.current;
        EXPECT_EQ(status.panelText(4), QString::number(c.figure) + QStringLiteral(" Kbps"));
    }
}

TEST_F(TrafficMeterTest, EachTickReadsTheTableOnceAndKeepsItsFirstRow)
{
    tickAt(100);
    EXPECT_EQ(table.reads, 1);
    ASSERT_NE(meter.FirstInterface, nullptr);
    EXPECT_EQ(meter.FirstInterface->InterfaceIndex, 3);

    table.table = tableOf({});
    meter.Tick();
    EXPECT_EQ(table.reads, 2);
    EXPECT_EQ(meter.FirstInterface, nullptr);
    EXPECT_EQ(meter.DownloadSpeed, 0);
}

TEST_F(TrafficMeterTest, WritesThePanelOnlyWhileTheMainWindowIsOpenButFollowsTheCounterAlways)
{
    status.MainWindowOpen = true;
    status.showStatus(4, QStringLiteral("before"));
    status.MainWindowOpen = false;
    tickAt(10000);
    tickAt(10000 + 3 * 1024);
    EXPECT_EQ(meter.LastBytesReceived, 10000 + 3 * 1024);
    EXPECT_EQ(meter.DownloadSpeed, 3);
    EXPECT_EQ(status.panelText(4), QStringLiteral("before"));

    status.MainWindowOpen = true;
    tickAt(10000 + 5 * 1024);
    EXPECT_EQ(status.panelText(4), QStringLiteral("2 Kbps"));
}
