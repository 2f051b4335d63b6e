#include "platform/interface_table.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Plain system calls: the table is read twice a second, and a row takes a dozen files.
bool readWhole(const QByteArray &path, QByteArray &contents)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    contents.clear();
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        contents.append(buffer, n);
    }
    ::close(fd);
    return true;
}

std::optional<qint64> parseNumber(QByteArrayView text)
{
    text = text.trimmed();
    int base = 10;
    if (text.startsWith("0x")) {
        text = text.sliced(2);
        base = 16;
    }
    qint64 value = 0;
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (text.isEmpty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

// The counters of one line of /proc/net/dev, after the interface name.
struct Counters {
    enum : size_t {
        RxBytes,
        RxPackets,
        RxErrors,
        RxDropped,
        RxFifo,
        RxFrame,
        RxCompressed,
        RxMulticast,
        TxBytes,
        TxPackets,
        TxErrors,
        TxDropped,
        Count = 16,
    };
    quint64 values[Count];
};

bool parseCounters(QByteArrayView text, Counters &counters)
{
    const char *at = text.data();
    const char *end = at + text.size();
    for (quint64 &value : counters.values) {
        while (at < end && (*at == ' ' || *at == '\t'))
            ++at;
        const auto [stop, error] = std::from_chars(at, end, value);
        if (error != std::errc())
            return false;
        at = stop;
    }
    return true;
}

class RowWriter {
public:
    explicit RowWriter(char *row) : row_(row) {}
    void put(int offset, quint64 value) const
    {
        // Counters wrap at 2^32 as the table's fields do.
        qToLittleEndian(static_cast<quint32>(value), row_ + offset);
    }
    char *at(int offset) const { return row_ + offset; }

private:
    char *row_;
};

quint32 typeOf(qint64 kernelType)
{
    switch (kernelType) {
    case 1: // Ethernet, including wireless adapters in their normal mode
        return IfRow::TypeEthernet;
    case 512:
        return IfRow::TypePpp;
    case 772:
        return IfRow::TypeLoopback;
    case 768:   // IP in IP
    case 769:   // IPv6 in IPv6
    case 776:   // IPv6 in IPv4
    case 778:   // GRE
    case 823:   // GRE over IPv6
    case 65534: // no link layer: tun, WireGuard
        return IfRow::TypeTunnel;
    case 801: // 802.11 in monitor modes
    case 802:
    case 803:
        return IfRow::TypeWireless;
    default:
        return IfRow::TypeOther;
    }
}

// The attributes that /sys/class/net/<name>/ gives for one interface. A missing attribute
// (an interface that vanished, a speed the driver does not know) leaves its field 0.
void writeAttributes(const QByteArray &folder, RowWriter row)
{
    QByteArray text;
    auto number = [&](const char *name) -> std::optional<qint64> {
        if (!readWhole(folder + name, text))
            return std::nullopt;
        return parseNumber(text);
    };

    row.put(IfRow::Index, number("ifindex").value_or(0));
    const qint64 kernelType = number("type").value_or(0);
    row.put(IfRow::Type, typeOf(kernelType));
    row.put(IfRow::Mtu, number("mtu").value_or(0));
    row.put(IfRow::OutQLen, number("tx_queue_len").value_or(0));

    // Megabits per second in the kernel; a speed beyond the field shows as its largest value.
    const qint64 megabits = number("speed").value_or(0);
    row.put(IfRow::Speed,
            megabits <= 0 ? 0 : std::min<quint64>(quint64(megabits) * 1000000, 0xFFFFFFFFu));

    constexpr qint64 Up = 0x1;
    const bool adminUp = (number("flags").value_or(0) & Up) != 0;
    row.put(IfRow::AdminStatus, adminUp ? IfRow::AdminUp : IfRow::AdminDown);
    quint32 oper = IfRow::OperNonOperational;
    if (adminUp) {
        // The loopback and some virtual interfaces report an unknown state with a carrier.
        readWhole(folder + "operstate", text);
        const QByteArray state = text.trimmed();
        const bool running =
            state == "up" || (state == "unknown" && number("carrier").value_or(0) == 1);
        oper = running ? IfRow::OperOperational : IfRow::OperDisconnected;
    }
    row.put(IfRow::OperStatus, oper);

    // The loopback's address of zeros is no physical address.
    if (kernelType == 772 || !readWhole(folder + "address", text))
        return;
    const QList<QByteArray> octets = text.trimmed().split(':');
    int stored = 0;
    for (const QByteArray &octet : octets) {
        bool ok = false;
        const uint value = octet.toUInt(&ok, 16);
        if (!ok || value > 0xFF)
            return;
        if (stored < IfRow::PhysAddrBytes)
            *row.at(IfRow::PhysAddr + stored++) = static_cast<char>(value);
    }
    row.put(IfRow::PhysAddrLen, number("addr_len").value_or(octets.size()));
}

void writeName(QByteArrayView name, RowWriter row)
{
    const QString text = QString::fromUtf8(name);
    const qsizetype units = std::min<qsizetype>(text.size(), IfRow::NameBytes / 2 - 1);
    for (qsizetype i = 0; i < units; ++i)
        qToLittleEndian(text.at(i).unicode(), row.at(IfRow::Name + int(i) * 2));

    const qsizetype bytes = std::min<qsizetype>(name.size(), IfRow::DescrBytes);
    std::copy_n(name.data(), bytes, row.at(IfRow::Descr));
    row.put(IfRow::DescrLen, quint64(bytes));
}

void writeCounters(const Counters &c, RowWriter row)
{
    const quint64 *v = c.values;
    row.put(IfRow::InOctets, v[Counters::RxBytes]);
    const quint64 multicast = std::min(v[Counters::RxMulticast], v[Counters::RxPackets]);
    row.put(IfRow::InUcastPkts, v[Counters::RxPackets] - multicast);
    row.put(IfRow::InNUcastPkts, multicast);
    row.put(IfRow::InDiscards, v[Counters::RxDropped]);
    row.put(IfRow::InErrors, v[Counters::RxErrors]);
    row.put(IfRow::OutOctets, v[Counters::TxBytes]);
    row.put(IfRow::OutUcastPkts, v[Counters::TxPackets]);
    row.put(IfRow::OutDiscards, v[Counters::TxDropped]);
    row.put(IfRow::OutErrors, v[Counters::TxErrors]);
}

} // namespace

KernelInterfaceTable::KernelInterfaceTable(QString procNetDev, QString sysClassNet)
    : procNetDev_(QFile::encodeName(procNetDev)), sysClassNet_(QFile::encodeName(sysClassNet))
{
}

InterfaceTable::Status KernelInterfaceTable::GetIfTable(QByteArray &table)
{
    table.clear();
    QByteArray text;
    if (!readWhole(procNetDev_, text))
        return Status::NotSupported;

    // Two heading lines, then "name: counters" per interface.
    QByteArray rows;
    quint32 count = 0;
    int line = 0;
    std::map<QByteArray, CachedAttributes> seen;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype stop = text.indexOf('\n', start);
        if (stop < 0)
            stop = text.size();
        const QByteArrayView entry = QByteArrayView(text).sliced(start, stop - start);
        start = stop + 1;
        if (line++ < 2 || entry.trimmed().isEmpty())
            continue;
        const qsizetype colon = entry.indexOf(':');
        Counters counters;
        if (colon < 0 || !parseCounters(entry.sliced(colon + 1), counters))
            return Status::Failed;
        const QByteArray name = entry.first(colon).trimmed().toByteArray();

        // The row starts as the interface's attributes; name and counters fill the rest.
        CachedAttributes &attributes = seen[name];
        if (const auto known = attributes_.find(name); known != attributes_.end())
            attributes = std::move(known->second);
        if (attributes.row.isEmpty() || attributes.readsLeft-- <= 0) {
            attributes.row = QByteArray(IfRow::Size, '\0');
            writeAttributes(sysClassNet_ + '/' + name + '/', RowWriter(attributes.row.data()));
            attributes.readsLeft = AttributeReads - 1;
        }
        rows.append(attributes.row);
        const RowWriter row(rows.data() + rows.size() - IfRow::Size);
        writeName(name, row);
        writeCounters(counters, row);
        ++count;
    }
    attributes_ = std::move(seen);

    table.resize(IfRow::TableHeader);
    qToLittleEndian(count, table.data());
    table.append(rows);
    return Status::Ok;
}
