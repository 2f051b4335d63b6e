// Speed and memory of the picture viewer on large photographs, and screenshots of its states.
//
//   viewer-speed [--pictures N] [--slides N]
//       generates N 6000 x 4000 JPEGs in a temporary folder and reports: the time from the
//       thumbnail's double click to the picture on screen, Next with the neighbour decoded
//       ahead and without, a 10-second drag pan (frames per second, longest event-loop block),
//       and the peak resident memory over a slide show of the given number of pictures.
//   viewer-speed --shots FOLDER --lang FILE
//       shows the viewer fitted, at full size, rotated, with a slide show running and on a
//       file that cannot be decoded, in the language of FILE, and saves a screenshot of each.
//
// Run it under a display (xvfb-run for a headless machine).

#include "core/app_state.h"
#include "platform/event_pump.h"
#include "platform/file_listing.h"
#include "platform/settings_backend.h"
#include "platform/trash.h"
#include "viewer/frm_sized_preview.h"
#include "viewer/picture_surface.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>

namespace {
// Refuses every request: the benchmark never deletes.
class NoTrash final : public Trash {
public:
    bool RecycleFile(const QString &) override { return false; }
};

// A photograph-like picture: smooth colour fields, shapes and fine noise, so that the JPEG
// is as large and as slow to decode as a camera's.
QImage photograph(QSize size, int seed)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, size.width(), size.height());
    sky.setColorAt(0, QColor::fromHsv((seed * 47) % 360, 120, 230));
    sky.setColorAt(1, QColor::fromHsv((seed * 47 + 120) % 360, 200, 90));
    painter.fillRect(image.rect(), sky);
    QRandomGenerator random(seed);
    for (int i = 0; i < 60; ++i) {
        painter.setBrush(QColor::fromHsv(random.bounded(360), 150, 200, 160));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPoint(random.bounded(size.width()), random.bounded(size.height())),
                            random.bounded(100, 900), random.bounded(100, 900));
    }
    painter.end();
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int noise = int(random.bounded(24)) - 12;
            const QRgb p = line[x];
            line[x] =
                qRgb(std::clamp(qRed(p) + noise, 0, 255), std::clamp(qGreen(p) + noise, 0, 255),
                     std::clamp(qBlue(p) + noise, 0, 255));
        }
    }
    return image;
}

qint64 peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

void resetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

struct Bench {
    Bench(const QString &languageFile)
    {
        QFile::copy(languageFile, program.filePath(QFileInfo(languageFile).fileName()));
        loadLanguage(program.path(), listing, state.language);
        state.settings = state.store.WriteDefaultSettings();
        refresh.setInterval(state.timings.RefreshThumbViewMs);
        refresh.start();
    }

    QString folder() const { return state.settings.Download_File_Folder; }

    // What the thumbnail view does on a double click.
    void doubleClick(int index)
    {
        state.files.refresh(listing, folder());
        refresh.stop();
        state.files.CurrentImageIndex = static_cast<qint16>(index);
        viewer.showCurrent();
        refresh.start();
    }

    // Lets events run until the surface has painted at least once more.
    void untilPainted(int paintsBefore)
    {
        QElapsedTimer waited;
        waited.start();
        while (viewer.picPview->paints() == paintsBefore && waited.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }

    void settle(int ms)
    {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    QTemporaryDir program;
    DirFileListing listing;
    IniSettingsBackend backend{program.filePath(QStringLiteral("settings.ini"))};
    AppState state{program.path(), backend};
    QTimer refresh;
    QtEventPump events;
    NoTrash trash;
    frmSizedPreview viewer{state, refresh, events, listing, trash};
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int runSpeed(Bench &bench, int pictures, int slides)
{
    std::printf("generating %d JPEGs of 6000 x 4000 ...\n", pictures);
    std::fflush(stdout);
    for (int i = 0; i < pictures; ++i)
        photograph({6000, 4000}, i + 1)
            .save(bench.folder() + QStringLiteral("/photo%1.jpg").arg(i, 3, 10, QLatin1Char('0')),
                  "JPEG", 88);
    qint64 bytes = 0;
    for (const QFileInfo &file : QDir(bench.folder()).entryInfoList(QDir::Files))
        bytes += file.size();
    std::printf("  %d files, %.1f MB on disk\n", pictures, bytes / 1e6);

    QElapsedTimer clock;
    frmSizedPreview &viewer = bench.viewer;

    // The double click, from the click to the first paint of the picture.
    clock.start();
    bench.doubleClick(0);
    bench.untilPainted(0);
    const double open = clock.nsecsElapsed() / 1e6;
    std::printf("double click to picture on screen: %.1f ms (%dx%d shown at %s)\n", open,
                viewer.ShowWidth, viewer.ShowHeight, qPrintable(viewer.panelText(3)));

    // Next after the neighbour was decoded ahead, and Next with nothing decoded ahead.
    std::vector<double> ahead, cold;
    for (int round = 0; round < 5; ++round) {
        bench.settle(200);
        while (viewer.cache().aheadPending())
            bench.settle(50);
        int paints = viewer.picPview->paints();
        clock.start();
        viewer.mnuNext_Click();
        bench.untilPainted(paints);
        ahead.push_back(clock.nsecsElapsed() / 1e6);
    }
    viewer.cache().decodeAhead = false;
    for (int round = 0; round < 5; ++round) {
        viewer.cache().keepAround({}, {});
        bench.settle(300);
        int paints = viewer.picPview->paints();
        clock.start();
        viewer.mnuNext_Click();
        bench.untilPainted(paints);
        cold.push_back(clock.nsecsElapsed() / 1e6);
    }
    viewer.cache().decodeAhead = true;
    std::printf("Next, neighbour decoded ahead: median %.1f ms, worst %.1f ms\n", median(ahead),
                *std::max_element(ahead.begin(), ahead.end()));
    std::printf("Next, no decode ahead:         median %.1f ms, worst %.1f ms\n", median(cold),
                *std::max_element(cold.begin(), cold.end()));

    // A 10-second drag over the picture at full size, as fast as the event loop takes it.
    viewer.mnuFullSize_Click();
    bench.settle(500);
    PictureSurface *surface = viewer.picPview;
    auto mouse = [surface](QEvent::Type type, QPointF at) {
        QMouseEvent event(type, at, surface->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(surface, &event);
    };
    // The pointer in the client area; each event gives it relative to the moving surface.
    QPointF pointer(surface->parentWidget()->width() / 2.0,
                    surface->parentWidget()->height() / 2.0);
    auto at = [&] { return pointer - QPointF(surface->pos()); };
    mouse(QEvent::MouseButtonPress, at());
    const int paintsBefore = surface->paints();
    double longest = 0;
    int moves = 0;
    QElapsedTimer step;
    clock.start();
    while (clock.elapsed() < 10000) {
        step.start();
        // Sweep 2000 pixels one way and back, 12 pixels a move.
        const int phase = (moves / 160) % 2;
        pointer += QPointF(phase == 0 ? -12 : 12, phase == 0 ? -6 : 6);
        mouse(QEvent::MouseMove, at());
        QCoreApplication::processEvents();
        ++moves;
        longest = std::max(longest, step.nsecsElapsed() / 1e6);
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    std::printf("drag pan for %.1f s: %d moves, %.0f frames per second, longest block %.2f ms\n",
                seconds, moves, (surface->paints() - paintsBefore) / seconds, longest);
    mouse(QEvent::MouseButtonRelease, at());
    viewer.mnuFitImage_Click();

    // Peak memory over a slide show; each slide waits for its decode ahead, as the real 3 s do.
    bench.settle(500);
    resetPeakResident();
    const qint64 before = peakResidentKiB();
    int shown = 0;
    QElapsedTimer slideClock;
    slideClock.start();
    while (shown < slides) {
        bench.settle(100);
        while (viewer.cache().aheadPending())
            bench.settle(50);
        viewer.mnuNext_Click();
        ++shown;
    }
    std::printf("slide show of %d pictures in %.0f s: peak resident memory %.0f MB (%.0f MB "
                "before it), at most %d pictures held\n",
                shown, slideClock.elapsed() / 1e3, peakResidentKiB() / 1024.0, before / 1024.0,
                PictureCache::MaxHeld);
    return 0;
}

int runShots(Bench &bench, const QString &shots)
{
    QDir().mkpath(shots);
    photograph({1600, 1200}, 3)
        .save(bench.folder() + QStringLiteral("/Catch00001.jpg"), "JPEG", 90);
    photograph({2400, 1500}, 9)
        .save(bench.folder() + QStringLiteral("/Catch00002.jpg"), "JPEG", 90);
    photograph({640, 900}, 5).save(bench.folder() + QStringLiteral("/Catch00003.png"), "PNG");
    QFile broken(bench.folder() + QStringLiteral("/Catch00004.jpg"));
    broken.open(QIODevice::WriteOnly);
    broken.write(QByteArray(3000, 'x'));
    broken.close();

    frmSizedPreview &viewer = bench.viewer;
    auto shot = [&](const char *name) {
        bench.settle(700);
        QGuiApplication::primaryScreen()->grabWindow(0).save(
            shots + u'/' + QString::fromLatin1(name) + QStringLiteral(".png"));
    };
    bench.doubleClick(0);
    shot("1-fitted");
    viewer.mnuNext_Click();
    viewer.mnuFullSize_Click();
    shot("2-full-size");
    viewer.mnuFitImage_Click();
    viewer.mnuPrevious_Click();
    viewer.mnuRotateLeft_Click();
    shot("3-rotated");
    viewer.mnuReload_Click();
    viewer.mnuSlideShow_Click();
    viewer.mnuTools->popup(viewer.mapToGlobal(
        QPoint(viewer.menuBar()->actionGeometry(viewer.mnuTools->menuAction()).bottomLeft())));
    shot("4-slide-show");
    viewer.mnuTools->hide();
    viewer.mnuSlideShow_Click();
    viewer.mnuLast_Click();
    shot("5-undecodable");
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QCommandLineParser options;
    options.addHelpOption();
    options.addOption({QStringLiteral("pictures"), QStringLiteral("Pictures generated."),
                       QStringLiteral("N"), QStringLiteral("12")});
    options.addOption({QStringLiteral("slides"), QStringLiteral("Pictures of the slide show."),
                       QStringLiteral("N"), QStringLiteral("100")});
    options.addOption({QStringLiteral("shots"), QStringLiteral("Save screenshots in FOLDER."),
                       QStringLiteral("FOLDER")});
    options.addOption({QStringLiteral("lang"), QStringLiteral("Language file."),
                       QStringLiteral("FILE"), QStringLiteral(ZOVARODE_LANG_DIR "/english.lan")});
    options.process(app);

    Bench bench(options.value(QStringLiteral("lang")));
    if (options.isSet(QStringLiteral("shots")))
        return runShots(bench, options.value(QStringLiteral("shots")));
    return runSpeed(bench, options.value(QStringLiteral("pictures")).toInt(),
                    options.value(QStringLiteral("slides")).toInt());
}
