#pragma once

#include <QByteArray>
#include <QString>

#include <map>

// The machine's network interface table as bytes: a 32-bit row count, then one 860-byte row
// per interface. Numbers are little-endian unsigned 32-bit values; counters are taken modulo
// 2^32. The offsets below are the one description of a row, for the writer and the reader.
namespace IfRow {
constexpr int TableHeader = 4; // the row count
constexpr int Size = 860;

constexpr int Name = 0; // UTF-16LE, NUL-terminated
constexpr int NameBytes = 512;
constexpr int Index = 512;
constexpr int Type = 516;
constexpr int Mtu = 520;
constexpr int Speed = 524;
constexpr int PhysAddrLen = 528;
constexpr int PhysAddr = 532;
constexpr int PhysAddrBytes = 8;
constexpr int AdminStatus = 540;
constexpr int OperStatus = 544;
constexpr int LastChange = 548;
constexpr int InOctets = 552;
constexpr int InUcastPkts = 556;
constexpr int InNUcastPkts = 560;
constexpr int InDiscards = 564;
constexpr int InErrors = 568;
constexpr int InUnknownProtos = 572;
constexpr int OutOctets = 576;
constexpr int OutUcastPkts = 580;
constexpr int OutNUcastPkts = 584;
constexpr int OutDiscards = 588;
constexpr int OutErrors = 592;
constexpr int OutQLen = 596;
constexpr int DescrLen = 600;
constexpr int Descr = 604;
constexpr int DescrBytes = 256;

// Values of the type, administrative and operational state fields.
constexpr quint32 TypeOther = 1;
constexpr quint32 TypeEthernet = 6;
constexpr quint32 TypePpp = 23;
constexpr quint32 TypeLoopback = 24;
constexpr quint32 TypeWireless = 71;
constexpr quint32 TypeTunnel = 131;
constexpr quint32 AdminUp = 1;
constexpr quint32 AdminDown = 2;
constexpr quint32 OperNonOperational = 0;
constexpr quint32 OperDisconnected = 2;
constexpr quint32 OperOperational = 5;
} // namespace IfRow

// A source of the interface table.
class InterfaceTable {
public:
    enum class Status {
        Ok,
        NotSupported, // the statistics cannot be read at all on this system
        Failed,       // they could not be read this time
    };

    virtual ~InterfaceTable() = default;
    // Replaces table with the current rows when the answer is Ok; leaves it empty otherwise.
    virtual Status GetIfTable(QByteArray &table) = 0;
};

// The kernel's interface statistics: the counters of /proc/net/dev and the attributes under
// /sys/class/net/<name>/. Every interface is a row, in the order of /proc/net/dev.
//
// The counters are read afresh every time. The attributes (index, type, MTU, speed, address,
// states, queue length) take ten files per interface and seldom change, so an interface's
// are read when it first appears and then on every AttributeReads-th read: at the traffic
// meter's two reads a second that keeps the idle program's file opens to a few a second.
class KernelInterfaceTable final : public InterfaceTable {
public:
    static constexpr int AttributeReads = 20;

    explicit KernelInterfaceTable(QString procNetDev = QStringLiteral("/proc/net/dev"),
                                  QString sysClassNet = QStringLiteral("/sys/class/net"));
    Status GetIfTable(QByteArray &table) override;

private:
    struct CachedAttributes {
        QByteArray row; // a row with only the attribute fields filled
        int readsLeft = 0;
    };

    QByteArray procNetDev_;
    QByteArray sysClassNet_;
    std::map<QByteArray, CachedAttributes> attributes_; // by interface name
};
