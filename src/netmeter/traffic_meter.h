#pragma once

#include <QtGlobal>

#include <memory>

class CInterface;
class CIpHelper;
class MainWindowStatus;

// The download speed of panel 4 of the main window: the whole kilobytes (1024 bytes) that
// every interface of the machine together received between two ticks of tmrFlux, about half
// a second apart, shown as "<figure> Kbps".
class TrafficMeter {
public:
    TrafficMeter(CIpHelper &ipStats, MainWindowStatus &status);

    // Reads the interface table afresh; FirstInterface holds its first row, or nothing when
    // the table has no rows.
    void RefreshInterfaces();

    // A tick of tmrFlux: reads the table, then computes DownloadSpeed from the change of the
    // received total and shows it while the main window is open. The table is read here
    // rather than on a fast timer of its own, as only the read before a tick is ever used.
    void Tick();

    std::shared_ptr<CInterface> FirstInterface;
    // The received total at the previous tick; 0 makes the next tick show 0.
    qint32 LastBytesReceived = 0;
    qint32 DownloadSpeed = 0;

private:
    CIpHelper &IpStats;
    MainWindowStatus &status_;
};
