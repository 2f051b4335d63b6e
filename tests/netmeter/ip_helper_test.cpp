#include "netmeter/ip_helper.h"

#include "core/language_table.h"
#include "core/text_ids.h"
#include "netmeter/interface_rows.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

namespace {

class IpHelperTest : public ::testing::Test {
protected:
    IpHelperTest() { texts.set(TextId::InterfaceTableUnsupported, QStringLiteral("no table")); }

    ScriptedInterfaceTable table;
    ScriptedMessageBoxes messages;
    LanguageText texts;
    CIpHelper helper{table, messages, texts};
};

QByteArray received(quint32 octets)
{
    return tableRow({{IfRow::InOctets, octets}});
}

} // namespace

TEST_F(IpHelperTest, EveryFieldOfARowLandsInItsOwnProperty)
{
    using I = CInterface;
    const std::pair<qint32 I::*, int> properties[] = {
        {&I::AdminStatus, IfRow::AdminStatus},
        {&I::InterfaceIndex, IfRow::Index},
        {&I::DiscardedIncomingPackets, IfRow::InDiscards},
        {&I::IncomingErrors, IfRow::InErrors},
        {&I::NonunicastPacketsReceived, IfRow::InNUcastPkts},
        {&I::OctetsReceived, IfRow::InOctets},
        {&I::UnicastPacketsReceived, IfRow::InUcastPkts},
        {&I::UnknownProtocolPackets, IfRow::InUnknownProtos},
        {&I::MaximumTransmissionUnit, IfRow::Mtu},
        {&I::OperationalStatus, IfRow::OperStatus},
        {&I::DiscardedOutgoingPackets, IfRow::OutDiscards},
        {&I::OutgoingErrors, IfRow::OutErrors},
        {&I::NonunicastPacketsSent, IfRow::OutNUcastPkts},
        {&I::OctetsSent, IfRow::OutOctets},
        {&I::OutputQueueLength, IfRow::OutQLen},
        {&I::UnicastPacketsSent, IfRow::OutUcastPkts},
        {&I::Speed, IfRow::Speed},
        {&I::InterfaceType, IfRow::Type}};
    // A loopback row with a distinct value in every field, so that two properties read from
    // one place would show.
    QByteArray loopback = tableRow({{IfRow::DescrLen, 2}});
    for (const auto &[property, offset] : properties)
        qToLittleEndian(quint32(1000 + offset), loopback.data() + offset);
    loopback.replace(IfRow::Descr, 3, "loX").replace(IfRow::Name, 6, QByteArray("l\0o\0\0\0", 6));
    table.table = tableOf({loopback, tableRow({{IfRow::LastChange, 150}})});

    const auto interfaces = helper.Interfaces();
    ASSERT_EQ(interfaces->Count(), 2);
    const I &row = *interfaces->Item(1);
    for (const auto &[property, offset] : properties)
        EXPECT_EQ(row.*property, 1000 + offset) << "offset " << offset;
    EXPECT_EQ(row.InterfaceDescription, QStringLiteral("lo")) << "cut at its length";
    EXPECT_EQ(row.InterfaceName, QStringLiteral("lo"));
    EXPECT_EQ(row.LastChange.msecsTo(interfaces->Item(2)->LastChange), 1500);
    EXPECT_EQ(helper.BytesSent(), 1000 + IfRow::OutOctets);
}

TEST_F(IpHelperTest, AdapterAddressTextHasOneDigitBytesAndDoubleZeros)
{
    const struct {
        const char *hex;
        quint32 length;
        const char *text;
    } cases[] = {{"000C29AB0F10", 6, "00-C-29-AB-F-10"},
                 {"001A2B0C0005", 6, "00-1A-2B-C-00-5"},
                 {"000C29AB0F10", 0, ""},
                 {"0102030405060708", 20, "1-2-3-4-5-6-7-8"}};
    for (const auto &c : cases) {
        table.table =
            tableOf({tableRow({{IfRow::PhysAddrLen, c.length}}, QByteArray::fromHex(c.hex))});
        EXPECT_EQ(helper.Interfaces()->Item(1)->AdapterAddress, QLatin1String(c.text)) << c.hex;
    }
}

TEST_F(IpHelperTest, SumsAreSigned32BitAndSkipAnAdditionThatWouldOverflow)
{
    constexpr qint32 Max = std::numeric_limits<qint32>::max();
    constexpr qint32 Min = std::numeric_limits<qint32>::min();
    const struct {
        QByteArray table;
        qint32 firstOctets, sum;
    } cases[] = {{tableOf({received(3000000000u)}), -1294967296, -1294967296},
                 {tableOf({received(1000), received(234)}), 1000, 1234},
                 {tableOf({received(Max - 10), received(11), received(10)}), Max - 10, Max},
                 {tableOf({received(0x80000000u), received(0xFFFFFFFFu)}), Min, Min},
                 {tableOf({received(7)}, 1000), 7, 7}}; // a count past the rows present
    for (const auto &c : cases) {
        table.table = c.table;
        EXPECT_EQ(helper.Interfaces()->Item(1)->OctetsReceived, c.firstOctets);
        EXPECT_EQ(helper.BytesReceived(), c.sum);
    }
}

TEST_F(IpHelperTest, EveryReadIsAFreshSnapshot)
{
    table.table = tableOf({received(10)});
    const auto first = helper.Interfaces();
    table.table = tableOf({received(20), received(5)});
    const auto second = helper.Interfaces();

    EXPECT_NE(first->Item(1), second->Item(1));
    EXPECT_EQ(first->Item(1)->OctetsReceived, 10);
    EXPECT_EQ(helper.BytesReceived(), 25);
    EXPECT_THROW(first->Item(2), std::out_of_range);
    EXPECT_THROW(first->Item(0), std::out_of_range);
}

TEST_F(IpHelperTest, AnUnreadableTableGivesNothingAndNotSupportedIsToldOncePerRun)
{
    table.table = tableOf({received(7)});
    helper.Interfaces();
    table.status = InterfaceTable::Status::Failed;
    EXPECT_EQ(helper.Interfaces()->Count(), 0);
    EXPECT_EQ(helper.BytesReceived(), 0);
    EXPECT_TRUE(messages.shown.empty());

    table.status = InterfaceTable::Status::NotSupported;
    for (int read = 0; read < 3; ++read)
        EXPECT_EQ(helper.Interfaces()->Count(), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("no table"));
    EXPECT_EQ(messages.shown[0].icon, MessageBoxes::Icon::Critical);
}
