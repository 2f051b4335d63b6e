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
    void tickAt(quint32 total, TrafficMeter &at)
    {
        table.table = tableOf({tableRow({{IfRow::Index, 3}, {IfRow::InOctets, total}})});
        at.Tick();
    }

    ScriptedInterfaceTable table;
    ScriptedMessageBoxes messages;
    LanguageText texts;
    CIpHelper helper{table, messages, texts};
    MainWindowStatus status;
};

} // namespace

TEST_F(TrafficMeterTest, ShowsTheWholeKilobytesReceivedSinceThePreviousTick)
{
    const struct {
        quint32 previous, current;
        qint32 figure;
    } cases[] = {{1000000, 1600000, 585},
                 {5000, 6023, 0},
                 {5000, 6024, 1},
                 // Across a wrap of the total at 2^32 or at 2^31: small and positive.
                 {0xFFFFFF00u, 0x300, 1},
                 {0x7FFFFF00u, 0x80000300u, 1},
                 // A total that fell, or a read without rows after one of the upper half.
                 {6024, 5000, 0},
                 {0x90000000u, 0, 0}};
    status.MainWindowOpen = true;
    for (const auto &c : cases) {
        TrafficMeter meter(helper, status);
        tickAt(c.previous, meter);
        EXPECT_EQ(meter.DownloadSpeed, 0) << "the first tick";
        tickAt(c.current, meter);
        EXPECT_EQ(meter.DownloadSpeed, c.figure) << c.previous << " to " << c.current;
        EXPECT_EQ(status.panelText(4), QString::number(c.figure) + QStringLiteral(" Kbps"));
    }
}

TEST_F(TrafficMeterTest, EachTickReadsTheTableOnceAndWritesThePanelOnlyWhileTheWindowIsOpen)
{
    TrafficMeter meter(helper, status);
    tickAt(10000, meter);
    EXPECT_EQ(table.reads, 1);
    ASSERT_NE(meter.FirstInterface, nullptr);
    EXPECT_EQ(meter.FirstInterface->InterfaceIndex, 3);

    tickAt(10000 + 3 * 1024, meter);
    EXPECT_EQ(meter.LastBytesReceived, 10000 + 3 * 1024);
    EXPECT_EQ(meter.DownloadSpeed, 3);
    EXPECT_EQ(status.panelText(4), QString()) << "closed window";

    status.MainWindowOpen = true;
    table.table = tableOf({});
    meter.Tick();
    EXPECT_EQ(meter.FirstInterface, nullptr);
    EXPECT_EQ(status.panelText(4), QStringLiteral("0 Kbps"));
}
