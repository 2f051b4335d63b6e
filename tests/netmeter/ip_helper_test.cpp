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

QByteArray receivedRow(quint32 octets)
{
    return tableRow({{IfRow::InOctets, octets}});
}

} // namespace

TEST_F(IpHelperTest, EveryFieldOfARowLandsInItsOwnProperty)
{
    // Distinct values everywhere, so that two fields read from one offset would show.
    const std::pair<qint32 CInterface::*, int> properties[] = {
        {&CInterface::AdminStatus, IfRow::AdminStatus},
        {&CInterface::InterfaceIndex, IfRow::Index},
        {&CInterface::DiscardedIncomingPackets, IfRow::InDiscards},
        {&CInterface::IncomingErrors, IfRow::InErrors},
        {&CInterface::NonunicastPacketsReceived, IfRow::InNUcastPkts},
        {&CInterface::OctetsReceived, IfRow::InOctets},
        {&CInterface::UnicastPacketsReceived, IfRow::InUcastPkts},
        {&CInterface::UnknownProtocolPackets, IfRow::InUnknownProtos},
        {&CInterface::MaximumTransmissionUnit, IfRow::Mtu},
        {&CInterface::OperationalStatus, IfRow::OperStatus},
        {&CInterface::DiscardedOutgoingPackets, IfRow::OutDiscards},
        {&CInterface::OutgoingErrors, IfRow::OutErrors},
        {&CInterface::NonunicastPacketsSent, IfRow::OutNUcastPkts},
        {&CInterface::OctetsSent, IfRow::OutOctets},
        {&CInterface::OutputQueueLength, IfRow::OutQLen},
        {&CInterface::UnicastPacketsSent, IfRow::OutUcastPkts},
        {&CInterface::Speed, IfRow::Speed},
        {&CInterface::InterfaceType, IfRow::Type},
    };
    QByteArray loopback = tableRow({{IfRow::DescrLen, 2}, {IfRow::LastChange, 0}});
    for (const auto &[property, offset] : properties)
        qToLittleEndian(quint32(1000 + offset), loopback.data() + offset);
    loopback.replace(IfRow::Descr, 3, "loX");
    loopback.replace(IfRow::Name, 6, QByteArray("l\0o\0\0\0", 6));
    QByteArray later = tableRow({{IfRow::LastChange, 150}});
    table.table = tableOf({loopback, later});

    const auto interfaces = helper.Interfaces();
    ASSERT_EQ(interfaces->Count(), 2);
    const CInterface &row = *interfaces->Item(1);
    for (const auto &[property, offset] : properties)
        EXPECT_EQ(row.*property, 1000 + offset) << "offset " << offset;
    EXPECT_EQ(row.InterfaceDescription, QStringLiteral("lo")) << "cut at its length";
    EXPECT_EQ(row.InterfaceName, QStringLiteral("lo"));
    EXPECT_EQ(row.LastChange.msecsTo(interfaces->Item(2)->LastChange), 1500);
    EXPECT_EQ(helper.BytesReceived(), 1000 + IfRow::InOctets);
    EXPECT_EQ(helper.BytesSent(), 1000 + IfRow::OutOctets);
}

TEST_F(IpHelperTest, AdapterAddressTextHasOneDigitBytesAndDoubleZeros)
{
    const struct {
        QByteArray bytes;
        quint32 length;
        const char *text;
    } cases[] = {
        {QByteArray::fromHex("000C29AB0F10"), 6, "00-C-29-AB-F-10"},
        {QByteArray::fromHex("001A2B0C0005"), 6, "00-1A-2B-C-00-5"},
        {QByteArray::fromHex("FF"), 1, "FF"},
        {QByteArray::fromHex("000C29AB0F10"), 0, ""},
        {QByteArray::fromHex("0102030405060708"), 20, "1-2-3-4-5-6-7-8"},
    };
    for (const auto &c : cases) {
        table.table = tableOf({tableRow({{IfRow::PhysAddrLen, c.length}}, c.bytes)});
        EXPECT_EQ(helper.Interfaces()->Item(1)->AdapterAddress, QLatin1String(c.text))
            << c.bytes.toHex().constData() << " length " << c.length;
    }
}

TEST_F(IpHelperTest, SumsAreSigned32BitAndSkipAnAdditionThatWouldOverflow)
{
    constexpr qint32 Max = std::numeric_limits<qint32>::max();
    constexpr qint32 Min = std::numeric_limits<qint32>::min();
    const struct {
        QByteArray table;
        qint32 firstOctets;
        qint32 sum;
    } cases[] = {
        {tableOf({receivedRow(3000000000u)}), -1294967296, -1294967296},
        {tableOf({receivedRow(1000), receivedRow(234)}), 1000, 1234},
        {tableOf({receivedRow(Max - 10), receivedRow(11), receivedRow(10)}), Max - 10, Max},
        {tableOf({receivedRow(0x80000000u), receivedRow(0xFFFFFFFFu)}), Min, Min},
    };
    for (const auto &c : cases) {
        table.table = c.table;
        EXPECT_EQ(helper.Interfaces()->Item(1)->OctetsReceived, c.firstOctets);
        EXPECT_EQ(helper.BytesReceived(), c.sum);
    }
}

TEST_F(IpHelperTest, EveryReadIsAFreshSnapshot)
{
    table.table = tableOf({receivedRow(10)});
    const auto first = helper.Interfaces();
    table.table = tableOf({receivedRow(20), receivedRow(5)});
    const auto second = helper.Interfaces();

    EXPECT_NE(first, second);
    EXPECT_NE(first->Item(1), second->Item(1));
    EXPECT_EQ(first->Count(), 1);
    EXPECT_EQ(first->Item(1)->OctetsReceived, 10);
    EXPECT_EQ(helper.BytesReceived(), 25);
    EXPECT_THROW(first->Item(2), std::out_of_range);
    EXPECT_THROW(first->Item(0), std::out_of_range);
}

TEST_F(IpHelperTest, ACountPastTheRowsPresentReadsOnlyTheRowsPresent)
{
    table.table = tableOf({receivedRow(7)}, 1000);
    EXPECT_EQ(helper.Interfaces()->Count(), 1);
    EXPECT_EQ(helper.BytesReceived(), 7);
}

TEST_F(IpHelperTest, AnUnreadableTableGivesNothingAndNotSupportedIsToldOncePerRun)
{
    table.table = tableOf({receivedRow(7)});
    helper.Interfaces();

    table.status = InterfaceTable::Status::Failed;
    EXPECT_EQ(helper.Interfaces()->Count(), 0);
    EXPECT_EQ(helper.BytesReceived(), 0);
    EXPECT_TRUE(messages.shown.empty());

    table.status = InterfaceTable::Status::NotSupported;
    for (int read = 0; read < 3; ++read) {
        EXPECT_EQ(helper.Interfaces()->Count(), 0);
        EXPECT_EQ(helper.BytesReceived(), 0);
    }
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("no table"));
    EXPECT_EQ(messages.shown[0].icon, MessageBoxes::Icon::Critical);
}

TEST(InterfacesTest, AddKeepsTheObjectAndEmptiesTheCallersPointer)
{
    CInterfaces interfaces;
    auto row = std::make_shared<CInterface>();
    CInterface *const object = row.get();
    EXPECT_EQ(interfaces.Add(row).get(), object);
    EXPECT_EQ(row, nullptr);
    EXPECT_EQ(interfaces.Item(1).get(), object);
}
