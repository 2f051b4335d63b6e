#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/text_ids.h"
#include "netmeter/ip_helper.h"
#include "netmeter/traffic_meter.h"
#include "platform/interface_table.h"
#include "support/fakes.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

namespace {
// A row with the given 32-bit fields, by offset.
QByteArray row(std::initializer_list<std::pair<int, quint32>> fields)
{
    QByteArray row(IfRow::Size, '\0');
    for (const auto &[offset, value] : fields)
        qToLittleEndian(value, row.data() + offset);
    return row;
}

// Serves a table of rows whose count field says count (the number of rows unless given).
class NetmeterTest : public ::testing::Test, public InterfaceTable {
protected:
    Status GetIfTable(QByteArray &out) override
    {
        out = status == Status::Ok ? table : QByteArray();
        return status;
    }
    void serve(const QByteArrayList &rows, int count = -1)
    {
        table = QByteArray(IfRow::TableHeader, '\0') + rows.join();
        qToLittleEndian(quint32(count < 0 ? rows.size() : count), table.data());
    }
    void serveReceived(const QList<quint32> &totals, int count = -1)
    {
        QByteArrayList rows;
        for (const quint32 total : totals)
            rows.append(row({{IfRow::Index, 3}, {IfRow::InOctets, total}}));
        serve(rows, count);
    }

    Status status = Status::Ok;
    QByteArray table;
    ScriptedMessageBoxes messages;
    LanguageText texts;
    CIpHelper helper{*this, messages, texts};
};
} // namespace

TEST_F(NetmeterTest, EveryFieldOfARowLandsInItsOwnProperty)
{
    using namespace IfRow;
    const int offsets[] = {Index, InOctets, OutOctets, OperStatus, Speed, Type};
    // A distinct value in every field, so that two properties read from one place would show.
    QByteArray first = row({{DescrLen, 2}, {PhysAddrLen, 9}});
    for (const int offset : offsets)
        qToLittleEndian(quint32(1000 + offset), first.data() + offset);
    first.replace(Descr, 3, "loX");
    first.replace(PhysAddr, 8, QByteArray::fromHex("000C29AB0F1001FF"));
    serve({first, row({{LastChange, 150}, {PhysAddrLen, 0}})});

    const auto rows = helper.Interfaces();
    ASSERT_EQ(rows->Count(), 2);
    const CInterface &r = *rows->Item(1);
    const qint32 *read[] = {&r.InterfaceIndex,    &r.OctetsReceived, &r.OctetsSent,
                            &r.OperationalStatus, &r.Speed,          &r.InterfaceType};
    for (int i = 0; i < int(std::size(offsets)); ++i)
        EXPECT_EQ(*read[i], 1000 + offsets[i]) << offsets[i];
    EXPECT_EQ(r.InterfaceDescription, QStringLiteral("lo")) << "cut at its length";
    // One-digit bytes, "00" for a zero byte, and no more than the field holds.
    EXPECT_EQ(r.AdapterAddress, QStringLiteral("00-C-29-AB-F-10-1-FF"));
    EXPECT_EQ(r.LastChange.msecsTo(rows->Item(2)->LastChange), 1500);
    EXPECT_THROW(rows->Item(0), std::out_of_range);
    EXPECT_THROW(rows->Item(3), std::out_of_range);
}

TEST_F(NetmeterTest, SumsAreSigned32BitSkipAnAdditionThatWouldOverflowAndFollowTheCount)
{
    constexpr qint32 Max = std::numeric_limits<qint32>::max();
    const std::tuple<QList<quint32>, int, qint32> cases[] = {
        {{Max - 10, 11, 10}, -1, Max},
        {{0x80000000u, 0xFFFFFFFFu}, -1, std::numeric_limits<qint32>::min()},
        {{7, 5}, 1, 7},
        {{7}, 1000, 7}};
    for (const auto &[totals, count, sum] : cases) {
        serveReceived(totals, count);
        EXPECT_EQ(helper.Interfaces()->Item(1)->OctetsReceived, qint32(totals[0]));
        EXPECT_EQ(helper.BytesReceived(), sum);
    }
}

TEST_F(NetmeterTest, AnUnreadableTableGivesNothingAndNotSupportedIsToldOncePerRun)
{
    texts.set(TextId::InterfaceTableUnsupported, QStringLiteral("no table"));
    serveReceived({7});
    helper.Interfaces();
    status = Status::Failed;
    EXPECT_EQ(helper.Interfaces()->Count(), 0);
    EXPECT_EQ(helper.BytesReceived(), 0);
    EXPECT_TRUE(messages.shown.empty());

    status = Status::NotSupported;
    for (int read = 0; read < 3; ++read)
        EXPECT_EQ(helper.Interfaces()->Count(), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("no table"));
}

// The meter starts at 0 and shows the whole kilobytes received between two ticks.
TEST_F(NetmeterTest, MeterShowsTheWholeKilobytesReceivedBetweenTwoTicks)
{
    const std::tuple<quint32, quint32, qint32> cases[] = {
        {5000, 6023, 0},
        {5000, 6024, 1},
        // Across a wrap of the total at 2^32 or at 2^31: small and positive.
        {0xFFFFFF00u, 0x300, 1},
        {0x7FFFFF00u, 0x80000300u, 1},
        // A total that fell, or a read without rows after one of the upper half.
        {6024, 5000, 0},
        {0x90000000u, 0, 0}};
    MainWindowStatus shown;
    shown.MainWindowOpen = true;
    for (const auto &[previous, current, figure] : cases) {
        TrafficMeter meter(helper, shown);
        for (const quint32 total : {previous, current}) {
            serveReceived({total});
            meter.Tick();
        }
        EXPECT_EQ(meter.DownloadSpeed, figure) << previous << " to " << current;
        EXPECT_EQ(shown.panelText(4), QString::number(figure) + QStringLiteral(" Kbps"));
    }
    TrafficMeter meter(helper, shown);
    serve({});
    meter.Tick();
    EXPECT_EQ(meter.FirstInterface, nullptr);
}
