// The thumbnail strip's refresh tick on a folder of 10 000 pictures whose current page holds
// five 6000 x 4000 JPEG photos: the first build with nothing listed or decoded yet (the window
// opening on the folder), a tick with nothing changed, and the longest time the event loop
// waited meanwhile. Beside them, the same tick done the old way: every slot decoded at the
// picture's own size on the window's thread, on every tick. The pictures are made in a temporary
// folder when the program starts; the timed ticks find it unchanged for some seconds, as after a
// grab.
//
// Counters: decodes and listings per tick; longest_block_ms, the longest gap between two runs
// of the event loop seen by a 1 ms probe timer during the tick, and longest_work_ms, the most
// processor time the window's thread spent between two such runs.

#include "main_window_rig.h"

#include "imaging/picture_scaling.h"
#include "imaging/thumbnails.h"
#include "mainwin/thumb_view.h"
#include "platform/event_pump.h"
#include "platform/file_listing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>

namespace {
constexpr int FolderSize = 10'000;
constexpr int Photos = 5;

// A photo-like picture: smooth shading with fine grain, so that it compresses like a photo.
QImage photo(int seed)
{
    QImage image(6000, 4000, QImage::Format_RGB32);
    QRandomGenerator random(quint32(seed + 1));
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grain = int(random.bounded(24));
            line[x] = qRgb((x / 24 + grain + seed * 40) & 0xFF, (y / 16 + grain) & 0xFF,
                           ((x + y) / 40 + grain) & 0xFF);
        }
    }
    return image;
}

struct PictureFolder {
    PictureFolder()
    {
        for (int i = 0; i < Photos; ++i)
            photo(i).save(dir.filePath(QStringLiteral("a%1.jpg").arg(i)), "JPEG", 85);
        QImage small(64, 48, QImage::Format_RGB32);
        small.fill(Qt::darkGreen);
        const QString first = dir.filePath(QStringLiteral("b00000.jpg"));
        small.save(first, "JPEG");
        for (int i = 1; i < FolderSize - Photos; ++i)
            QFile::copy(first,
                        dir.filePath(QStringLiteral("b%1.jpg").arg(i, 5, 10, QLatin1Char('0'))));
        // A folder that changed within the last seconds is listed on every tick; the ticks
        // below look at one that has come to rest.
        QThread::msleep(3500);
    }
    QTemporaryDir dir;
};

PictureFolder &pictureFolder()
{
    static PictureFolder folder;
    return folder;
}

// Measures the longest stretch in which the event loop did not run, and of it the longest
// stretch of work done on this thread (its processor time between two runs): on a loaded
// machine the first includes the time the thread waited for a processor, the second not.
class BlockProbe {
public:
    BlockProbe()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] { lap(); });
    }
    void start()
    {
        longestNs_ = 0;
        longestWorkNs_ = 0;
        since_.start();
        workSince_ = threadCpuNs();
        timer_.start();
    }
    double stopMs()
    {
        lap();
        timer_.stop();
        return double(longestNs_) / 1e6;
    }
    double longestWorkMs() const { return double(longestWorkNs_) / 1e6; }

private:
    static qint64 threadCpuNs()
    {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
    }
    void lap()
    {
        longestNs_ = std::max(longestNs_, since_.nsecsElapsed());
        since_.start();
        const qint64 work = threadCpuNs();
        longestWorkNs_ = std::max(longestWorkNs_, work - workSince_);
        workSince_ = work;
    }
    QTimer timer_;
    QElapsedTimer since_;
    qint64 longestNs_ = 0;
    qint64 workSince_ = 0;
    qint64 longestWorkNs_ = 0;
};

struct Strip : MainWindowRig {
    Strip()
    {
        state.settings.Download_File_Folder = pictureFolder().dir.path();
        state.status.MainWindowOpen = true;
        open().show();
    }

    // What the window does when it opens on the folder.
    void load() { window->showPictureFolder(state.settings.Download_File_Folder); }
    // What the refresh tick does while the main window is open and the folder was listed.
    void tick()
    {
        const QString &folder = state.settings.Download_File_Folder;
        state.files.assign(folder, *host.listing->latest(folder, PictureFiles::pattern()));
        clampThumbPage(state.files, host.pump);
        window->ThumbView_Load();
    }
};

void report(benchmark::State &state, double decodes, double longestMs, double longestWorkMs)
{
    state.counters["longest_work_ms"] = longestWorkMs;
    state.counters["decodes"] = benchmark::Counter(decodes, benchmark::Counter::kAvgIterations);
    state.counters["longest_block_ms"] = longestMs;
}

void BM_ColdPageBuild(benchmark::State &state)
{
    Strip strip;
    BlockProbe probe;
    double longest = 0;
    double longestWork = 0;
    int decodes = 0;
    for (auto _ : state) {
        strip.host.forget();
        probe.start();
        QElapsedTimer clock;
        clock.start();
        strip.load(); // nothing known yet: the folder is listed too
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        longest = std::max(longest, probe.stopMs());
        longestWork = std::max(longestWork, probe.longestWorkMs());
        decodes += strip.host.cache->decodes();
    }
    report(state, decodes, longest, longestWork);
}

void BM_UnchangedTick(benchmark::State &state)
{
    Strip strip;
    strip.load();
    const int before = strip.host.cache->decodes();
    const int listed = strip.host.listing->listings();
    BlockProbe probe;
    double longest = 0;
    double longestWork = 0;
    for (auto _ : state) {
        probe.start();
        QElapsedTimer clock;
        clock.start();
        strip.tick();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        longest = std::max(longest, probe.stopMs());
        longestWork = std::max(longestWork, probe.longestWorkMs());
    }
    report(state, strip.host.cache->decodes() - before, longest, longestWork);
    state.counters["listings"] = strip.host.listing->listings() - listed;
}

// Where a cold build's time goes, step by step: one photo's thumbnail decoded on this thread,
// the five of the page decoded by the cache's workers, and the folder listing alone.
void BM_OneThumbnailDecode(benchmark::State &state)
{
    const QString path = pictureFolder().dir.filePath(QStringLiteral("a0.jpg"));
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeThumbnail(path).image.cacheKey());
}

void BM_PageDecodes(benchmark::State &state)
{
    QStringList paths;
    for (int i = 0; i < Photos; ++i)
        paths.append(pictureFolder().dir.filePath(QStringLiteral("a%1.jpg").arg(i)));
    QtEventPump pump;
    for (auto _ : state) {
        ThumbnailCache cache(ThumbnailCache::DefaultCapacity, ThumbsPerPage);
        cache.prefetch(paths);
        for (const QString &path : paths)
            benchmark::DoNotOptimize(cache.get(path, pump).image.cacheKey());
    }
}

void BM_FolderListing(benchmark::State &state)
{
    PictureFiles files;
    DirFileListing listing;
    for (auto _ : state)
        files.refresh(listing, pictureFolder().dir.path());
    state.counters["files"] = files.ImageFileCount;
}

// The old way: list the folder, then per slot a full decode at the picture's own size and a
// screen copy of it, on the window's thread, with a yield between slots.
void BM_OldFullDecodeTick(benchmark::State &state)
{
    PictureFiles files;
    DirFileListing listing;
    QtEventPump pump;
    BlockProbe probe;
    double longest = 0;
    double longestWork = 0;
    int decodes = 0;
    for (auto _ : state) {
        probe.start();
        QElapsedTimer clock;
        clock.start();
        files.refresh(listing, pictureFolder().dir.path());
        for (int i = 0; i < Photos; ++i) {
            pump.yieldEvents();
            PictureLoader loader;
            qint32 width = -1, height = -1;
            const PictureSize size = loader.LoadPictureSize(files.path(i), width, height);
            const QPixmap shown =
                QPixmap::fromImage(loader.ResizePicture(size.Width, size.Height, Qt::white, false));
            benchmark::DoNotOptimize(shown.cacheKey());
            ++decodes;
        }
        pump.yieldEvents();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        longest = std::max(longest, probe.stopMs());
        longestWork = std::max(longestWork, probe.longestWorkMs());
    }
    report(state, decodes, longest, longestWork);
}

} // namespace

BENCHMARK(BM_ColdPageBuild)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_UnchangedTick)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_OneThumbnailDecode)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PageDecodes)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_FolderListing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OldFullDecodeTick)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    pictureFolder();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
