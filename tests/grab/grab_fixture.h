#pragma once

#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"
#include "core/timings.h"
#include "crawl/crawl_context.h"
#include "crawl/download_engine.h"
#include "platform/event_pump.h"
#include "support/fakes.h"

#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

// Runs a scripted world at every yield; gives up the grab after too many passes, so that a
// driver that never ends fails the test instead of hanging it.
class ScriptedPump final : public EventPump {
public:
    explicit ScriptedPump(GrabState &grab) : grab_(grab) {}
    void yieldEvents() override
    {
        ++yields;
        if (yields > limit)
            grab_.StopRequested = true;
        if (onYield)
            onYield();
    }
    std::function<void()> onYield;
    int yields = 0;
    int limit = 20000;

private:
    GrabState &grab_;
};

// Records what the driver hands out; the test's world decides what becomes of it.
class RecordingEngine final : public DownloadEngine {
public:
    explicit RecordingEngine(GrabState &grab) : grab_(grab) {}
    void BeginDownload(const QString &, const QString &key) override
    {
        begun.append(key);
        if (refuse && refuse(key)) {
            if (isPictureRequest(key))
                --grab_.PicturesInFlight;
            else
                --grab_.PagesInFlight;
            return;
        }
        inFlight.append(key);
    }
    bool CancelAllDownload() override
    {
        ++cancels;
        inFlight.clear();
        grab_.PagesInFlight = 0;
        grab_.PicturesInFlight = 0;
        return true;
    }
    // Ends the oldest request in flight, as a download that completed.
    bool completeOne()
    {
        if (inFlight.isEmpty())
            return false;
        const QString key = inFlight.takeFirst();
        if (isPictureRequest(key))
            --grab_.PicturesInFlight;
        else
            --grab_.PagesInFlight;
        return true;
    }

    QStringList begun;
    QStringList inFlight;
    int cancels = 0;
    std::function<bool(const QString &)> refuse;

private:
    GrabState &grab_;
};

class GrabFixture : public ::testing::Test {
protected:
    GrabFixture()
    {
        for (int i = 0; i < LanguageText::Count; ++i)
            texts.set(i, QStringLiteral("text%1").arg(i));
        grab.ProjectFilePath = folder.filePath(QStringLiteral("project.txt"));
    }

    QTemporaryDir folder;
    Settings settings;
    GrabState grab;
    MainWindowStatus status;
    LanguageText texts;
    ScriptedPump pump{grab};
    CrawlContext context{settings, grab, status, texts, pump};
    RecordingEngine engine{grab};
    ScriptedMessageBoxes messages;
    FixedNetworkState network;
    Timings timings;
    QTimer refreshTimer;
};
