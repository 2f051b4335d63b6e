#include "platform/interface_table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Recorded /proc/net/dev of a loopback, a wired adapter, a tunnel that is down, and an
// interface that vanished before its folder under sys was read.
const QByteArray Recorded =
    "Inter-|   Receive                                                |  Transmit\n"
    " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets errs "
    "drop fifo colls carrier compressed\n"
    "    lo: 2919105391 111648 0 0 0 0 0 0 2919105391 111648 0 0 0 0 0 0\n"
    "  eth0:4294967301    1435 7 3 0 0 0 35 63869 783 2 4 0 0 0 0\n"
    "  tun0: 100 2 0 0 0 0 0 0 200 4 0 0 0 0 0 0\n"
    " gone0: 11 1 0 0 0 0 0 0 22 2 0 0 0 0 0 0\n";

class InterfaceTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        write(u"dev"_s, Recorded);
        addInterface("lo", "ifindex=1 type=772 address=00:00:00:00:00:00 addr_len=6 flags=0x9 "
                           "operstate=unknown carrier=1");
        addInterface("eth0", "ifindex=4 type=1 mtu=1500 speed=100000 address=00:0c:29:ab:0f:10 "
                             "addr_len=6 flags=0x1003 operstate=up");
        addInterface("tun0", "ifindex=9 type=65534 speed=10 addr_len=0 flags=0x1090");
    }
    void write(const QString &name, const QByteArray &contents)
    {
        QFile file(root.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    // Attributes as "name=value" separated by blanks.
    void addInterface(const char *name, const char *attributes)
    {
        const QString folder = u"net/%1/"_s.arg(QLatin1String(name));
        QDir().mkpath(root.filePath(folder));
        for (const QByteArray &pair : QByteArray(attributes).split(' ')) {
            const qsizetype at = pair.indexOf('=');
            write(folder + QString::fromLatin1(pair.first(at)), pair.sliced(at + 1) + '\n');
        }
    }
    quint32 field(int row, int offset) const
    {
        return qFromLittleEndian<quint32>(rows.constData() + IfRow::TableHeader +
                                          row * IfRow::Size + offset);
    }

    QTemporaryDir root;
    KernelInterfaceTable table{root.filePath(u"dev"_s), root.filePath(u"net"_s)};
    QByteArray rows;
};

} // namespace

TEST_F(InterfaceTableTest, EveryInterfaceIsARowWithItsCountersModulo2To32AndItsAttributes)
{
    ASSERT_EQ(table.GetIfTable(rows), InterfaceTable::Status::Ok);
    ASSERT_EQ(rows.size(), IfRow::TableHeader + 4 * IfRow::Size);
    EXPECT_EQ(qFromLittleEndian<quint32>(rows.constData()), 4u);

    using namespace IfRow;
    const struct {
        int offset;
        quint32 lo, eth0, tun0, gone0;
    } fields[] = {{Index, 1, 4, 9, 0},
                  {Type, TypeLoopback, TypeEthernet, TypeTunnel, TypeOther},
                  {Speed, 0, 0xFFFFFFFF, 10000000, 0},
                  {PhysAddrLen, 0, 6, 0, 0},
                  {AdminStatus, AdminUp, AdminUp, AdminDown, AdminDown},
                  {OperStatus, OperOperational, OperOperational, OperNonOperational, 0},
                  {InOctets, 2919105391u, 5, 100, 11},
                  {InUcastPkts, 111648, 1400, 2, 1},
                  {InNUcastPkts, 0, 35, 0, 0},
                  {InDiscards, 0, 3, 0, 0},
                  {OutOctets, 2919105391u, 63869, 200, 22}};
    for (const auto &f : fields) {
        const quint32 expected[] = {f.lo, f.eth0, f.tun0, f.gone0};
        for (int row = 0; row < 4; ++row)
            EXPECT_EQ(field(row, f.offset), expected[row]) << f.offset << " row " << row;
    }
    const qsizetype eth0 = TableHeader + Size;
    EXPECT_EQ(rows.mid(eth0 + PhysAddr, PhysAddrBytes), QByteArray::fromHex("000c29ab0f100000"));
    EXPECT_EQ(rows.mid(eth0 + Descr, field(1, DescrLen)), "eth0");
}

TEST_F(InterfaceTableTest, ANewInterfaceHasItsAttributesAtOnceAndChangedOnesShowAfterTheRefresh)
{
    table.GetIfTable(rows);
    write(u"dev"_s, Recorded + "wlan0: 1 1 0 0 0 0 0 0 1 1 0 0 0 0 0 0\n");
    addInterface("wlan0", "ifindex=12");
    addInterface("eth0", "mtu=9000");
    for (int read = 1; read < KernelInterfaceTable::AttributeReads; ++read) {
        table.GetIfTable(rows);
        EXPECT_EQ(field(4, IfRow::Index), 12u);
        EXPECT_EQ(field(1, IfRow::Mtu), 1500u) << "read " << read;
    }
    table.GetIfTable(rows);
    EXPECT_EQ(field(1, IfRow::Mtu), 9000u);
}

TEST_F(InterfaceTableTest, UnreadableStatisticsAreNotSupportedAndAGarbledLineFailsTheRead)
{
    rows = "left over";
    EXPECT_EQ(KernelInterfaceTable(root.filePath(u"none"_s)).GetIfTable(rows),
              InterfaceTable::Status::NotSupported);
    EXPECT_TRUE(rows.isEmpty());

    write(u"dev"_s, Recorded + "  eth1: 12 34 no numbers\n");
    EXPECT_EQ(table.GetIfTable(rows), InterfaceTable::Status::Failed);
    EXPECT_TRUE(rows.isEmpty());
}
