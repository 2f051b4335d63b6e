#include "grabtool/command_line_grab.h"

#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/text_ids.h"
#include "core/timings.h"
#include "crawl/crawl_context.h"
#include "crawl/parse_web.h"
#include "grab/grab_driver.h"
#include "grab/search_start.h"
#include "platform/download_service.h"
#include "platform/event_pump.h"
#include "platform/message_boxes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <QTimer>

namespace {
// The driver's messages are told by the result instead; its one question is answered by the
// --resume option.
class ResumeAnswer final : public MessageBoxes {
public:
    explicit ResumeAnswer(bool resume) : resume_(resume) {}
    void showMessage(const QString &, Icon) override {}
    bool askYesNo(const QString &, Icon) override { return resume_; }

private:
    bool resume_;
};

// The status texts the engine and the driver write; nobody reads them here.
LanguageText runnerTexts()
{
    LanguageText texts;
    texts.set(TextId::PicturesSavedWord, QStringLiteral("pictures"));
    texts.set(TextId::PagesCountedWord, QStringLiteral("pages"));
    return texts;
}
} // namespace

struct CommandLineGrab::Parts {
    Parts(const GrabOptions &options, DownloadService &downloads, const NetworkState &network,
          EventPump &events, const Timings &timings)
        : settings(options.settings),
          texts(runnerTexts()), context{settings, grab, status, texts, events}, timings(timings),
          engine(context, downloads, nullptr), messages(options.resume),
          driver(context, engine, messages, network, this->timings, refreshTimer, QString())
    {
    }

    Settings settings;
    GrabState grab;
    MainWindowStatus status;
    LanguageText texts;
    CrawlContext context;
    Timings timings;
    ocxParseWeb engine;
    ResumeAnswer messages;
    QTimer refreshTimer;
    GrabDriver driver;
    QTimer alarm;
};

CommandLineGrab::CommandLineGrab(const GrabOptions &options, const QString &projectFolder,
                                 const QString &searchBase, DownloadService &downloads,
                                 const NetworkState &network, EventPump &events,
                                 const Timings &timings)
    : parts_(std::make_unique<Parts>(options, downloads, network, events, timings))
{
    // The search text goes through the same normalisation as a grab started from the window.
    const SearchStart start =
        startOfSearch(options.searchText, projectFolder,
                      options.searchBase.isEmpty() ? searchBase : options.searchBase,
                      QStringLiteral("&start=0&sa=N"));
    prepareGrab(parts_->grab, start, parts_->settings);

    parts_->engine.ResetDeadTime = [this] { parts_->driver.ResetDeadTime(); };
    parts_->alarm.setInterval(parts_->timings.AlarmMs);
    QObject::connect(&parts_->alarm, &QTimer::timeout, &parts_->alarm, [this] {
        // A stop that came while the driver was still setting up is not lost.
        if (interrupted_)
            parts_->grab.StopRequested = true;
        parts_->driver.tmrAlarm_Timer();
    });
    QObject::connect(&downloads, &DownloadService::completed, &parts_->alarm,
                     [this](const QString &, int status, const QByteArray &body) {
                         if (status == DownloadStatus::Finished)
                             bytes_ += body.size();
                     });
}

CommandLineGrab::~CommandLineGrab() = default;

bool CommandLineGrab::preparePictureFolder(const QString &folder)
{
    if (!QDir().mkpath(folder))
        return false;
    QTemporaryFile probe(folder + QStringLiteral("/.zovarode-grab-XXXXXX"));
    return probe.open() && probe.write("x", 1) == 1 && probe.flush();
}

GrabResult CommandLineGrab::run()
{
    QElapsedTimer clock;
    clock.start();
    sinceLastProgress_.start();
    parts_->alarm.start();
    const GrabDriver::Ending ending = parts_->driver.RunGrabbing();
    parts_->alarm.stop();

    GrabResult result;
    switch (ending) {
    case GrabDriver::Ending::Finished:
        result.ending = GrabResult::Ending::Finished;
        break;
    case GrabDriver::Ending::Stopped:
        result.ending =
            interrupted_ ? GrabResult::Ending::Interrupted : GrabResult::Ending::Stopped;
        break;
    case GrabDriver::Ending::NetworkLost:
        result.ending = GrabResult::Ending::NetworkLost;
        break;
    }
    const GrabState &grab = parts_->grab;
    result.pictures = grab.PicturesSaved;
    result.notWritten = grab.PicturesNotWritten;
    result.pages = grab.PagesCounted;
    result.seconds = clock.elapsed() / 1000.0;
    result.bytes = bytes_;
    result.folder = parts_->settings.Download_File_Folder;
    result.projectFile = grab.ProjectFilePath;
    result.resumable = QFile::exists(grab.ProjectFilePath);
    return result;
}

void CommandLineGrab::interrupt()
{
    interrupted_ = true;
    parts_->grab.StopRequested = true;
}

GrabProgress CommandLineGrab::progress()
{
    const GrabState &grab = parts_->grab;
    GrabProgress progress{grab.PicturesSaved, grab.PagesCounted,
                          grab.PagesInFlight + grab.PicturesInFlight, 0};
    const qint64 elapsedMs = sinceLastProgress_.restart();
    if (elapsedMs > 0)
        progress.bytesPerSecond = (bytes_ - bytesAtLastProgress_) * 1000.0 / elapsedMs;
    bytesAtLastProgress_ = bytes_;
    return progress;
}
