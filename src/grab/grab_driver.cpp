#include "grab/grab_driver.h"

#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"
#include "core/text_ids.h"
#include "core/timings.h"
#include "crawl/crawl_context.h"
#include "crawl/download_engine.h"
#include "grab/project_file.h"
#include "platform/atomic_write.h"
#include "platform/event_pump.h"
#include "platform/message_boxes.h"
#include "platform/network_state.h"

#include <QFile>
#include <QLocale>
#include <QTime>
#include <QTimer>

const QString GrabDriver::ResumeQuestion =
    QStringLiteral("Resume last search, press Yes, otherwise start new search ");

namespace {
constexpr qint16 PagesAtOnce = 60;
constexpr int RefreshAtOnceMs = 100;

} // namespace

PictureLimits pictureLimitsFor(qint32 remaining)
{
    if (remaining <= 50)
        return {50, 40};
    if (remaining < 100) {
        const auto limit = static_cast<qint16>(remaining + 1);
        return {limit, static_cast<qint16>(limit - 10)};
    }
    return {100, 50};
}

GrabDriver::GrabDriver(CrawlContext &context, DownloadEngine &engine, MessageBoxes &messages,
                       const NetworkState &network, const Timings &timings, QTimer &refreshTimer,
                       QString upgradePageAddress)
    : context_(context), engine_(engine), messages_(messages), network_(network), timings_(timings),
      refreshTimer_(refreshTimer), upgradePageAddress_(std::move(upgradePageAddress))
{
}

GrabDriver::Ending GrabDriver::RunGrabbing()
{
    GrabState &grab = context_.grab;
    PagePhase = true;
    if (QFile::exists(grab.ProjectFilePath) &&
        messages_.askYesNo(ResumeQuestion, MessageBoxes::Icon::Exclamation)) {
        LoadProject(context_);
        PagePhase = false;
    }
    grab.Grabbing = true;
    grab.StopRequested = false;
    grab.NetworkLost = false;
    grab.PagesInFlight = 0;
    grab.PicturesInFlight = 0;
    PageLimit = PagesAtOnce;

    for (;;) {
        computePictureLimits();
        const bool phaseBefore = PagePhase;
        bool handedOut = false;
        if (PagePhase)
            handedOut = handOutPage();
        if (!PagePhase)
            handedOut = handOutPicture() || handedOut;

        // A pass that changed nothing waits for the next event instead of spinning; every
        // flag and count is read afresh afterwards.
        if (handedOut || PagePhase != phaseBefore)
            context_.events.yieldEvents();
        else
            context_.events.waitForEvents();

        if (grab.StopRequested && grab.NetworkLost) {
            endGrab(Ending::NetworkLost);
            return Ending::NetworkLost;
        }
        if (grab.StopRequested) {
            endGrab(Ending::Stopped);
            return Ending::Stopped;
        }
        if (grab.allHandedOut() && grab.PicturesInFlight <= 0 && grab.PagesInFlight <= 0) {
            endGrab(Ending::Finished);
            return Ending::Finished;
        }
    }
}

void GrabDriver::computePictureLimits()
{
    const Settings &settings = context_.settings;
    const qint32 remaining =
        (settings.FileToNum - settings.FileFromNum) - context_.grab.PicturesSaved;
    const PictureLimits limits = pictureLimitsFor(remaining);
    PictureLimit = limits.limit;
    PictureLowWater = limits.lowWater;
}

bool GrabDriver::handOutPage()
{
    GrabState &grab = context_.grab;
    if (grab.PagesInFlight >= PageLimit) {
        if (!grab.KeywordSearchMode)
            PagePhase = false;
        return false;
    }
    for (const auto &[list, kind] : {std::pair{&grab.ExpandList, RequestKind::Expand},
                                     std::pair{&grab.LinkList, RequestKind::Link}}) {
        if (list->waiting() <= 0)
            continue;
        context_.events.yieldEvents();
        const PageEntry entry = list->at(list->Next);
        engine_.BeginDownload(entry.Address, RequestKey(kind, entry.Address, entry.Depth));
        ++list->Next;
        ++grab.PagesInFlight;
        return true;
    }
    // Both page lists are handed out. A keyword search waits for every result page first.
    if (!grab.KeywordSearchMode || grab.PagesInFlight <= 0)
        PagePhase = false;
    return false;
}

bool GrabDriver::handOutPicture()
{
    GrabState &grab = context_.grab;
    if (grab.PicturesInFlight >= PictureLimit)
        return false;
    if (grab.ResourceList.waiting() > 0) {
        context_.events.yieldEvents();
        const QString address = grab.ResourceList.at(grab.ResourceList.Next);
        engine_.BeginDownload(address, RequestKey(RequestKind::Picture, address));
        ++grab.ResourceList.Next;
        ++grab.PicturesInFlight;
        return true;
    }
    if (grab.PicturesInFlight < PictureLowWater)
        PagePhase = true;
    return false;
}

void GrabDriver::endGrab(Ending ending)
{
    GrabState &grab = context_.grab;
    MainWindowStatus &status = context_.status;
    const LanguageText &texts = context_.texts;
    const auto warn = [this, &texts](int text) {
        messages_.showMessage(texts[text], MessageBoxes::Icon::Exclamation);
    };

    grab.Grabbing = false;
    switch (ending) {
    case Ending::NetworkLost:
        warn(TextId::NetworkLostMessage);
        break;
    case Ending::Stopped:
        // The Grab Now button shows its grab caption again when the user stopped the grab.
        if (status.MainWindowOpen && status.grabCaption() != texts[TextId::StopCaption])
            warn(TextId::StoppedByUserMessage);
        else
            warn(TextId::StoppedMessage);
        break;
    case Ending::Finished:
        warn(TextId::FinishedMessage);
        break;
    }
    engine_.CancelAllDownload();
    status.showStatus(1, texts[TextId::AllStopped]);
    // Pictures are renamed into place without a sync each; their folder is synced once here.
    syncFolder(context_.settings.Download_File_Folder);

    SaveProject(grab);
    refreshTimer_.setInterval(RefreshAtOnceMs);
    if (status.MainWindowOpen) {
        status.setGrabCaption(texts[TextId::GrabCaption]);
        status.showStatus(1, texts[TextId::GrabEnded] + u' ' +
                                 QLocale().toString(QTime::currentTime(), QLocale::ShortFormat));
    }
}

void GrabDriver::tmrAlarm_Timer()
{
    GrabState &grab = context_.grab;
    if (!network_.NetworkAlive()) {
        if (grab.Grabbing)
            grab.StopRequested = true;
        grab.NetworkLost = true;
        return;
    }
    if (grab.Grabbing && ++DeadTime >= timings_.DeadTimeSeconds) {
        DeadTime = 0;
        engine_.CancelAllDownload();
    }
    if (!UpgradeCheckDone) {
        UpgradeCheckDone = true;
        if (context_.settings.NeverUpgrade == 0 && !upgradePageAddress_.isEmpty()) {
            engine_.BeginDownload(upgradePageAddress_,
                                  RequestKey(RequestKind::Upgrade, upgradePageAddress_));
            ++grab.PagesInFlight;
        }
    }
}
