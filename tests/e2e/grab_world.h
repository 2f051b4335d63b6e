#pragma once

// A whole grab in-process: the program's own engine, download service, driver, parsers and
// picture store, with the timers of the hidden main window, run against local HTTP servers.
// Time limits are shortened instead of sleeping; a watchdog stops a grab that would never end.

#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"
#include "core/timings.h"
#include "crawl/crawl_context.h"
#include "crawl/parse_web.h"
#include "grab/grab_driver.h"
#include "platform/download_service.h"
#include "platform/event_pump.h"
#include "platform/message_boxes.h"
#include "support/fakes.h"

#include <QMap>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <ostream>

// Readable failure messages for texts and lists of texts.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// Download limits short enough for tests and long enough for a loaded machine.
DownloadLimits testLimits();
// An alarm tick of 50 ms; the dead time far beyond any test unless a test shortens it.
Timings testTimings();

// The scripted message boxes, and what the download service held when each message showed.
class WatchedMessages final : public MessageBoxes {
public:
    explicit WatchedMessages(const NetworkDownloadService &downloads) : downloads_(downloads) {}
    void showMessage(const QString &text, Icon icon) override;
    bool askYesNo(const QString &text, Icon icon) override;

    ScriptedMessageBoxes script;
    // Requests still running when the last message showed, before the driver cancelled them.
    qsizetype activeAtLastMessage = -1;

private:
    const NetworkDownloadService &downloads_;
};

class GrabWorld {
public:
    explicit GrabWorld(const DownloadLimits &limits = testLimits(),
                       const Timings &timings = testTimings());

    // Does what Grab Now does with the search text, then runs the grab from a timer tick, as
    // the program does, and returns how it ended.
    GrabDriver::Ending run(const QString &searchText);
    // Runs once on every alarm tick of a grab, after the driver's own tick.
    std::function<void()> onTick;

    // The saved pictures, file name to bytes.
    QMap<QString, QByteArray> savedPictures() const;
    QString projectFile() const { return grab.ProjectFilePath; }
    // The project file, every line unscrambled; empty when there is none.
    QStringList projectLines() const;
    // The message texts shown so far.
    QStringList messageTexts() const;

    // The image search address that a keyword goes to.
    QString searchBase;

    // Every problem the watchers saw: a request counted out twice, a watchdog that fired.
    QStringList problems;
    int watchdogMs = 30000;

    QTemporaryDir programFolder;
    QTemporaryDir pictureFolder;
    Settings settings;
    GrabState grab;
    MainWindowStatus status;
    LanguageText texts;
    QtEventPump pump;
    CrawlContext context{settings, grab, status, texts, pump};
    Timings timings;
    NetworkDownloadService downloads;
    ocxParseWeb engine{context, downloads, nullptr};
    WatchedMessages messages{downloads};
    FixedNetworkState network;
    QTimer refreshTimer;
    GrabDriver driver;
    QTimer tmrAlarm;

private:
    void checkCounts(const char *when);
};
