#pragma once

#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"
#include "crawl/crawl_context.h"
#include "platform/event_pump.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <string>

// The state a crawl routine works on, fresh for each test: settings, grab state, status
// panels and texts, with a scripted event pump in place of the event loop.
struct CrawlState {
    Settings settings;
    GrabState grab;
    MainWindowStatus status;
    LanguageText texts;
    ScriptedEventPump pump;
    CrawlContext context{settings, grab, status, texts, pump};

    // Every text reads "text" and its number, so that a panel shows which text it was given.
    void numberTexts()
    {
        for (int i = 0; i < LanguageText::Count; ++i)
            texts.set(i, QStringLiteral("text%1").arg(i));
    }
};

// A grab that starts at http://h/, with numbered texts and the main window open.
struct CrawlTest : ::testing::Test, CrawlState {
    CrawlTest()
    {
        numberTexts();
        status.MainWindowOpen = true;
        grab.SeedCrawl(QStringLiteral("http://h/"), settings);
    }
};

// The addresses of a list, in order, separated by blanks.
inline std::string listed(const PageList &list)
{
    QStringList addresses;
    for (const PageEntry &entry : list.entries())
        addresses.append(entry.Address);
    return addresses.join(u' ').toStdString();
}

inline std::string listed(const PictureList &list)
{
    return QStringList(list.entries().begin(), list.entries().end()).join(u' ').toStdString();
}
