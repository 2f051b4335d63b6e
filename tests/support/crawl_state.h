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
#include <type_traits>

// A grab that starts at http://h/ with the main window open, and a scripted event pump in
// place of the event loop. Every text reads "text" and its number, so that a panel shows
// which text it was given.
struct CrawlTest : ::testing::Test {
    CrawlTest()
    {
        for (int i = 0; i < LanguageText::Count; ++i)
            texts.set(i, QStringLiteral("text%1").arg(i));
        status.MainWindowOpen = true;
        grab.SeedCrawl(QStringLiteral("http://h/"), settings);
    }

    Settings settings;
    GrabState grab;
    MainWindowStatus status;
    LanguageText texts;
    ScriptedEventPump pump;
    CrawlContext context{settings, grab, status, texts, pump};
};

// The addresses of a list, in order, separated by blanks.
template <typename Entry> std::string listed(const AddressList<Entry> &list)
{
    QStringList addresses;
    for (const Entry &entry : list.entries()) {
        if constexpr (std::is_same_v<Entry, QString>)
            addresses.append(entry);
        else
            addresses.append(entry.Address);
    }
    return addresses.join(u' ').toStdString();
}
