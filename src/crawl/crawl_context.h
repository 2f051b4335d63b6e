#pragma once

// The shared state that the crawl routines read and change: the settings, the grab's lists
// and counters, the status panels of the main window and the language texts, and the way to
// let pending events run.

class EventPump;
class GrabState;
class LanguageText;
class MainWindowStatus;
struct Settings;

struct CrawlContext {
    Settings &settings;
    GrabState &grab;
    MainWindowStatus &status;
    const LanguageText &texts;
    EventPump &events;
};
