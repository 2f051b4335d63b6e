// Drives ResolveLink and the admission routines with arbitrary addresses and checks the
// grab's lists after every step against lists kept by plain scans, as the routines read
// without their indexes.
//
// Input: lines of text. The first line's first character picks StayOnSameSite and the mode,
// the rest of it is the site root. Every further line's first character picks a step, the
// rest is its address.

#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"
#include "crawl/crawl_context.h"
#include "crawl/link_queue.h"
#include "platform/event_pump.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
void check(bool condition)
{
    if (!condition)
        std::abort();
}

// The lists as the routines describe them, every check a scan.
struct PlainLists {
    std::vector<PageEntry> links;
    std::vector<PageEntry> expands;
    std::vector<QString> pictures;
    qint32 pagesCounted = 0;

    static bool holds(const std::vector<PageEntry> &list, const QString &address)
    {
        return std::any_of(list.begin(), list.end(),
                           [&](const PageEntry &entry) { return entry.Address == address; });
    }

    static bool passes(QString &link, bool sameSiteOnly, const QString &siteRoot)
    {
        if (link.contains(u'#'))
            return false;
        if (sameSiteOnly) {
            QString root = siteRoot;
            QString linkRoot = SiteRootOf(link);
            QString wanted = SiteRootOf(root);
            for (QString *each : {&linkRoot, &wanted}) {
                if (startsWithLower(*each, "https://"_L1))
                    each->remove(0, 8);
                else if (startsWithLower(*each, "http://"_L1))
                    each->remove(0, 7);
            }
            if (lowerCase(linkRoot) != lowerCase(wanted))
                return false;
        }
        return !lowerCase(link).contains(u"microsoft"_s);
    }

    void makeLink(QString link, qint16 depth, bool sameSiteOnly, const QString &siteRoot)
    {
        if (passes(link, sameSiteOnly, siteRoot) && !holds(links, link) && !holds(expands, link))
            links.push_back({link, depth});
    }

    void makeLinkExpand(QString link, qint16 depth, bool sameSiteOnly, const QString &siteRoot)
    {
        if (!passes(link, sameSiteOnly, siteRoot))
            return;
        if (expands.empty() || (!holds(expands, link) && !holds(links, link)))
            expands.push_back({link, depth});
    }

    void addResultPage(const QString &link, qint16 depth)
    {
        if (lowerCase(link).contains(u"microsoft"_s))
            return;
        for (size_t i = 1; i < links.size(); ++i) {
            if (ResultPageOffset(links[i].Address) == ResultPageOffset(link))
                return;
        }
        links.push_back({link, depth});
        ++pagesCounted;
    }

    // InStr counts from 1 and gives 0 for nothing found.
    static qsizetype inStr(qsizetype start, const QString &text, const QString &word)
    {
        const qsizetype found = text.indexOf(word, start - 1);
        return found < 0 ? 0 : found + 1;
    }

    static void cutTo(QString &address, const QString &word)
    {
        qsizetype pos = 0;
        for (;;) {
            const qsizetype p = inStr(pos + 1, address, word);
            if (p == 0)
                break;
            address = address.mid(p - 1);
            pos = p;
        }
    }

    void saveResource(QString address)
    {
        const QString lower = lowerCase(address);
        if (address.isEmpty() || lower.contains(u"small"_s) || lower.contains(u"tn"_s) ||
            lower.contains(u"thumb"_s) || lower.contains(u"default"_s))
            return;
        cutTo(address, u"http"_s);
        cutTo(address, u"ftp"_s);
        if (std::find(pictures.begin(), pictures.end(), address) == pictures.end())
            pictures.push_back(address);
    }
};

bool sameEntries(const PageList &list, const std::vector<PageEntry> &plain)
{
    return list.entries() == plain;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList lines =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size))
            .split(u'\n');
    if (lines.isEmpty() || lines[0].isEmpty())
        return 0;

    Settings settings;
    settings.StayOnSameSite = lines[0][0].unicode() & 1;
    GrabState grab;
    grab.SeedCrawl(u"http://fuzz.example/start"_s, settings);
    grab.KeywordSearchMode = lines[0][0].unicode() & 2;
    grab.SiteRoot = lines[0].mid(1);
    MainWindowStatus status;
    LanguageText texts;
    ScriptedEventPump events;
    CrawlContext context{settings, grab, status, texts, events};

    PlainLists plain;
    plain.links.push_back(grab.LinkList.at(0));
    QString base = u"http://fuzz.example/a/b/page.html"_s;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString &line = lines[i];
        if (line.isEmpty())
            continue;
        const QString address = line.mid(1);
        const qint16 depth = static_cast<qint16>(line.size() % 10);
        const bool sameSiteOnly = settings.StayOnSameSite && !grab.KeywordSearchMode;
        // The site filter may change SiteRoot as it reads it, so both sides read it afresh.
        switch (line[0].unicode() % 8) {
        case 0:
            plain.makeLink(address, depth, sameSiteOnly, grab.SiteRoot);
            MakeLink(context, address, depth);
            break;
        case 1:
            plain.makeLinkExpand(address, depth, sameSiteOnly, grab.SiteRoot);
            MakeLinkExpand(context, address, depth);
            break;
        case 2:
            plain.addResultPage(address, depth);
            AddResultPage(context, address, depth);
            break;
        case 3:
            plain.saveResource(address);
            SaveResource(context, address);
            break;
        case 4:
            base = address;
            break;
        case 5: {
            const QString resolved = ResolveLink(base, address);
            auto onTheWeb = [](const QString &text) {
                return startsWithLower(text, "http://"_L1) || startsWithLower(text, "https://"_L1);
            };
            // A page on the web resolves every link to an address on the web.
            if (onTheWeb(base) && !resolved.isEmpty())
                check(onTheWeb(resolved));
            plain.makeLink(resolved, depth, sameSiteOnly, grab.SiteRoot);
            MakeLink(context, resolved, depth);
            plain.saveResource(resolved);
            SaveResource(context, resolved);
            break;
        }
        case 6:
            grab.SeedCrawl(address, settings);
            plain = PlainLists{};
            plain.links.push_back({address, 0});
            break;
        default:
            grab.KeywordSearchMode = !grab.KeywordSearchMode;
            break;
        }
        check(sameEntries(grab.LinkList, plain.links));
        check(sameEntries(grab.ExpandList, plain.expands));
        check(grab.ResourceList.entries() == plain.pictures);
        check(grab.PagesCounted == plain.pagesCounted);
    }
    return 0;
}
