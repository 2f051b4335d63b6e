#pragma once

#include <QString>

class DownloadEngine;
class MessageBoxes;
class NetworkState;
class QTimer;
struct CrawlContext;
struct Timings;

// Runs a grab from its start address to its end: hands page and picture addresses to the
// download engine in a fixed order and within fixed limits, and ends the grab when it is
// finished, stopped or the network is lost. Everything else happens in the events it lets
// through while it loops.
class GrabDriver {
public:
    enum class Ending { Finished, Stopped, NetworkLost };

    // refreshTimer is the thumbnail refresh timer, run at once when a grab ends.
    // upgradePageAddress is the new-version page; empty for no version check.
    GrabDriver(CrawlContext &context, DownloadEngine &engine, MessageBoxes &messages,
               const NetworkState &network, const Timings &timings, QTimer &refreshTimer,
               QString upgradePageAddress);

    // Runs a whole grab and returns how it ended.
    Ending RunGrabbing();

    // The once-a-second network watch, dead-time count and new-version request.
    void tmrAlarm_Timer();

    // Called after every successful download.
    void ResetDeadTime() { DeadTime = 0; }

    qint16 PageLimit = 60;
    qint16 PictureLimit = 50;
    qint16 PictureLowWater = 40;
    bool PagePhase = true;
    qint16 DeadTime = 0;
    bool UpgradeCheckDone = false;

    static const QString ResumeQuestion;

private:
    void computePictureLimits();
    bool handOutPage();
    bool handOutPicture();
    void endGrab(Ending ending);

    CrawlContext &context_;
    DownloadEngine &engine_;
    MessageBoxes &messages_;
    const NetworkState &network_;
    const Timings &timings_;
    QTimer &refreshTimer_;
    QString upgradePageAddress_;
};

// The in-flight picture limit and low-water mark for the file numbers still free.
struct PictureLimits {
    qint16 limit;
    qint16 lowWater;
};
PictureLimits pictureLimitsFor(qint32 remaining);
