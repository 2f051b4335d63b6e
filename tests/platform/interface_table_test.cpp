#include "platform/interface_table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <map>

namespace {

// Recorded from a machine with a loopback, a wired adapter, a tunnel that is down, and an
// adapter that vanished between the two reads of the kernel (no folder under sys).
const char RecordedProcNetDev[] =
    "Inter-|   Receive                                                |  Transmit\n"
    " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets errs "
    "drop fifo colls carrier compressed\n"
    "    lo: 2919105391  111648    0    0    0     0          0         0 2919105391  111648    "
    "0    0    0     0       0          0\n"
    "  eth0:4294967301    1435    7    3    0     0          0        35    63869     783    2 "
    "   4    0     0       0          0\n"
    "  tun0:     100       2    0    0    0     0          0         0      200       4    0 "
    "   0    0     0       0          0\n"
    " gone0:      11       1    0    0    0     0          0         0       22       2    0 "
    "   0    0     0       0          0\n";

using Attributes = std::map<QByteArray, QByteArray>;

void writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

class InterfaceTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        writeFile(root.filePath(QStringLiteral("dev")), RecordedProcNetDev);
        addInterface(QStringLiteral("lo"), {{"ifindex", "1"},
                                            {"type", "772"},
                                            {"mtu", "65536"},
                                            {"address", "00:00:00:00:00:00"},
                                            {"addr_len", "6"},
                                            {"flags", "0x9"},
                                            {"operstate", "unknown"},
                                            {"carrier", "1"},
                                            {"tx_queue_len", "1000"}});
        addInterface(QStringLiteral("eth0"), {{"ifindex", "4"},
                                              {"type", "1"},
                                              {"mtu", "1500"},
                                              {"speed", "100000"},
                                              {"address", "00:0c:29:ab:0f:10"},
                                              {"addr_len", "6"},
                                              {"flags", "0x1003"},
                                              {"operstate", "up"},
                                              {"tx_queue_len", "1000"}});
        addInterface(QStringLiteral("tun0"), {{"ifindex", "9"},
                                              {"type", "65534"},
                                              {"mtu", "1420"},
                                              {"speed", "10"},
                                              {"addr_len", "0"},
                                              {"flags", "0x1090"},
                                              {"operstate", "down"}});
    }

    void addInterface(const QString &name, const Attributes &attributes)
    {
        const QString folder = root.filePath(QStringLiteral("net/") + name);
        ASSERT_TRUE(QDir().mkpath(folder));
        for (const auto &[attribute, value] : attributes)
            writeFile(folder + u'/' + QString::fromLatin1(attribute), value + '\n');
    }

    KernelInterfaceTable source() const
    {
        return KernelInterfaceTable(root.filePath(QStringLiteral("dev")),
                                    root.filePath(QStringLiteral("net")));
    }

    QTemporaryDir root;
};

quint32 field(const QByteArray &table, int row, int offset)
{
    return qFromLittleEndian<quint32>(table.constData() + IfRow::TableHeader + row * IfRow::Size +
                                      offset);
}

QString name(const QByteArray &table, int row)
{
    const auto *units = reinterpret_cast<const char16_t *>(table.constData() + IfRow::TableHeader +
                                                           row * IfRow::Size + IfRow::Name);
    return QString::fromUtf16(units);
}

QByteArray physicalAddress(const QByteArray &table, int row)
{
    return table.mid(IfRow::TableHeader + row * IfRow::Size + IfRow::PhysAddr,
                     IfRow::PhysAddrBytes);
}

} // namespace

TEST_F(InterfaceTableTest, EveryInterfaceIsARowWithItsCountersModulo2To32AndItsAttributes)
{
    QByteArray table;
    ASSERT_EQ(source().GetIfTable(table), InterfaceTable::Status::Ok);
    ASSERT_EQ(table.size(), IfRow::TableHeader + 4 * IfRow::Size);
    EXPECT_EQ(qFromLittleEndian<quint32>(table.constData()), 4u);

    struct Expected {
        int offset;
        quint32 lo, eth0, tun0, gone0;
    };
    const Expected fields[] = {
        {IfRow::Index, 1, 4, 9, 0},
        {IfRow::Type, IfRow::TypeLoopback, IfRow::TypeEthernet, IfRow::TypeTunnel,
         IfRow::TypeOther},
        {IfRow::Mtu, 65536, 1500, 1420, 0},
        {IfRow::Speed, 0, 0xFFFFFFFF, 10000000, 0},
        {IfRow::PhysAddrLen, 0, 6, 0, 0},
        {IfRow::AdminStatus, IfRow::AdminUp, IfRow::AdminUp, IfRow::AdminDown, IfRow::AdminDown},
        {IfRow::OperStatus, IfRow::OperOperational, IfRow::OperOperational,
         IfRow::OperNonOperational, 0},
        {IfRow::InOctets, 2919105391u, 5, 100, 11},
        {IfRow::InUcastPkts, 111648, 1400, 2, 1},
        {IfRow::InNUcastPkts, 0, 35, 0, 0},
        {IfRow::InErrors, 0, 7, 0, 0},
        {IfRow::InDiscards, 0, 3, 0, 0},
        {IfRow::OutOctets, 2919105391u, 63869, 200, 22},
        {IfRow::OutUcastPkts, 111648, 783, 4, 2},
        {IfRow::OutErrors, 0, 2, 0, 0},
        {IfRow::OutDiscards, 0, 4, 0, 0},
        {IfRow::OutQLen, 1000, 1000, 0, 0},
    };
    for (const Expected &e : fields) {
        const quint32 rows[] = {e.lo, e.eth0, e.tun0, e.gone0};
        for (int row = 0; row < 4; ++row)
            EXPECT_EQ(field(table, row, e.offset), rows[row])
                << "offset " << e.offset << ", row " << row;
    }

    EXPECT_EQ(name(table, 1), QStringLiteral("eth0"));
    EXPECT_EQ(table.mid(IfRow::TableHeader + IfRow::Size + IfRow::Descr,
                        int(field(table, 1, IfRow::DescrLen))),
              QByteArray("eth0"));
    EXPECT_EQ(physicalAddress(table, 1), QByteArray::fromHex("000c29ab0f100000"));
    EXPECT_EQ(physicalAddress(table, 0), QByteArray(8, '\0')) << "the loopback has none";
}

TEST_F(InterfaceTableTest, UnreadableStatisticsAreNotSupportedAndAGarbledLineFailsTheRead)
{
    QByteArray table("left over");
    EXPECT_EQ(KernelInterfaceTable(root.filePath(QStringLiteral("missing")),
                                   root.filePath(QStringLiteral("net")))
                  .GetIfTable(table),
              InterfaceTable::Status::NotSupported);
    EXPECT_TRUE(table.isEmpty());

    writeFile(root.filePath(QStringLiteral("dev")),
              QByteArray(RecordedProcNetDev) + "  eth1: 12 34 no numbers\n");
    EXPECT_EQ(source().GetIfTable(table), InterfaceTable::Status::Failed);
    EXPECT_TRUE(table.isEmpty());

    // The kernel of this machine speaks the same format.
    EXPECT_EQ(KernelInterfaceTable().GetIfTable(table), InterfaceTable::Status::Ok);
    EXPECT_GE(qFromLittleEndian<quint32>(table.constData()), 1u);
}
