#pragma once

#include "crawl/crawl_context.h"
#include "grab/grab_state.h"
#include "platform/event_pump.h"
#include "shell/language_table.h"
#include "shell/main_window_status.h"
#include "shell/settings.h"

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
