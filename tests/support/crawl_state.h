#pragma once

#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"
#include "crawl/crawl_context.h"
#include "platform/event_pump.h"

// The state a crawl routine works on, fresh for each test: settings, grab state, status
// panels and texts, with a scripted event pump in place of the event loop.
struct CrawlState {
    Settings settings;
    GrabState grab;
    MainWindowStatus status;
    LanguageText texts;
    ScriptedEventPump pump;
    CrawlContext context{settings, grab, status, texts, pump};
};
