#include "netmeter/traffic_meter.h"

#include "core/main_window_status.h"
#include "netmeter/ip_helper.h"

namespace {

constexpr int SpeedPanel = 4;

// Whole kilobytes (1024 bytes) between two totals. The difference is taken modulo 2^32, so a
// total that wrapped shows the bytes received across the wrap; a total that fell (an
// interface went away) shows 0 rather than a negative or an enormous figure.
qint32 kilobytesBetween(qint32 previous, qint32 current)
{
    const auto difference =
        static_cast<qint32>(static_cast<quint32>(current) - static_cast<quint32>(previous));
    return difference < 0 ? 0 : difference / 1024;
}

} // namespace

TrafficMeter::TrafficMeter(CIpHelper &ipStats, MainWindowStatus &status)
    : IpStats(ipStats), status_(status)
{
}

void TrafficMeter::RefreshInterfaces()
{
    const auto interfaces = IpStats.Interfaces();
    FirstInterface = interfaces->Count() > 0 ? interfaces->Item(1) : nullptr;
}

void TrafficMeter::Tick()
{
    RefreshInterfaces();
    const qint32 current = IpStats.BytesReceived();
    // A total of 0 is where the meter starts: at the first tick, and after a read that gave
    // no rows, whose sums are 0.
    if (LastBytesReceived == 0 || current == 0)
        LastBytesReceived = current;
    DownloadSpeed = kilobytesBetween(LastBytesReceived, current);
    LastBytesReceived = current;
    status_.showStatus(SpeedPanel, QString::number(DownloadSpeed) + QStringLiteral(" Kbps"));
}
