// Throughput of the two page parsers on generated pages of 300 KB (3 000 anchors) and 5 MB
// (50 000 anchors), in three modes: 0, events do nothing and what the parser finds goes to a
// sink that only counts; 1, the finds go through the grab's own queueing routines into a
// fresh grab; 2, as 1 with every yield letting Qt's pending events run, as in the program.
// Pages of anchors that are never closed show that the cost stays linear when every
// anchor's contents run to the end of the page.

#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"
#include "crawl/crawl_context.h"
#include "crawl/html_links.h"
#include "crawl/link_queue.h"
#include "platform/event_pump.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <array>

using namespace Qt::StringLiterals;

namespace {
class CountingSink final : public LinkSink {
public:
    void MakeLink(const QString &, qint16) override { ++count; }
    void MakeLinkExpand(const QString &, qint16) override { ++count; }
    void AddResultPage(const QString &, qint16) override { ++count; }
    void SaveResource(const QString &) override { ++count; }
    qint64 count = 0;
};

constexpr std::array<std::pair<qsizetype, int>, 2> PageSizes{
    {{300 * 1024, 3'000}, {5 * 1024 * 1024, 50'000}}};

// Filler text so that the page reaches its size with its number of anchors.
void pad(QString &page, qsizetype size)
{
    static const QString words = u"<p class=\"text\">Lorem ipsum dolor sit amet, consectetur "
                                 u"adipiscing elit, sed do eiusmod tempor.</p>\r\n"_s;
    while (page.size() < size)
        page += words.left(size - page.size());
}

// A page of a website: links of every kind, pictures, links around thumbnails, frames.
QString websitePage(qsizetype size, int anchors)
{
    QString page = u"<html><head><title>Gallery</title></head><body>\r\n"_s;
    page.reserve(size + 1024);
    const qsizetype perAnchor = size / anchors;
    for (int i = 0; i < anchors; ++i) {
        const QString n = QString::number(i);
        switch (i % 8) {
        case 0:
            page += u"<a href=\"gallery/page"_s + n + u".html\"><img src=\"pics/"_s + n +
                    u"-s.jpg\" width=\"120\" height=\"90\" border=0></a>\r\n"_s;
            break;
        case 1:
            page += u"<A HREF=\"../section/"_s + n + u".htm\" class=\"nav\">Section "_s + n +
                    u"</A>\r\n"_s;
            break;
        case 2:
            page += u"<a href=\"/photos/"_s + n + u".JPG\">Photo&nbsp;"_s + n + u"</a> "_s;
            break;
        case 3:
            page += u"<a href=\"http://other"_s + QString::number(i % 50) + u".example/p"_s + n +
                    u".html?a=1&amp;b=2\">elsewhere</a><br>\r\n"_s;
            break;
        case 4:
            page += u"<img src=\"/images/photo"_s + n + u".png\" alt=\"photo\"> <a href=\"#c"_s +
                    n + u"\">top</a>\r\n"_s;
            break;
        case 5:
            page += u"<a href=\"files/doc"_s + n + u".pdf\">document</a> <frame src=\"f"_s + n +
                    u".html\">\r\n"_s;
            break;
        case 6:
            page += u"<a href=\"javascript:show("_s + n + u")\"><b>show</b></a>\r\n"_s;
            break;
        default:
            page += u"<a href=\"page"_s + n + u".html\"><span>next</span></a>\r\n"_s;
            break;
        }
        pad(page, perAnchor * (i + 1));
    }
    pad(page, size - 16);
    return page + u"</body></html>"_s;
}

// A result page of a keyword search: picture results, links to their pages, page numbers.
QString resultPage(qsizetype size, int anchors)
{
    QString page = u"<html><body><table>\r\n"_s;
    page.reserve(size + 1024);
    const qsizetype perAnchor = size / anchors;
    for (int i = 0; i < anchors; ++i) {
        const QString n = QString::number(i);
        if (i % 4 == 3) {
            page += u"<td><a href=\"/images?q=cats&amp;start="_s + QString::number(i * 10) +
                    u"&amp;sa=N\">"_s + QString::number(i / 4 + 2) + u"</a></td>"_s;
        } else {
            page += u"<td><a href=\"/imgres?imgurl=http://site"_s + n +
                    u".example/cat.jpg&imgrefurl=http://site"_s + n +
                    u".example/\"><img src=\"http://img"_s + n +
                    u".example/images?q=tbn:cat.jpg\" width=100 height=80></a><br>"_s
                    u"<font size=-1>cat "_s +
                    n + u".jpg</font></td>\r\n"_s;
        }
        pad(page, perAnchor * (i + 1));
    }
    pad(page, size - 24);
    return page + u"</table></body></html>"_s;
}

// Anchors without their closing tags: every anchor's contents run to the one "</a" at the end.
QString unclosedAnchorsPage(qsizetype size)
{
    QString page;
    page.reserve(size + 64);
    for (int i = 0; page.size() < size; ++i)
        page += u"<a href=\"p"_s + QString::number(i) + u".html\"> 1 <img src=x.gif> "_s;
    return page + u"</a>"_s;
}

struct Grab {
    explicit Grab(EventPump &events) : context{settings, grab, status, texts, events} {}

    Settings settings;
    GrabState grab;
    MainWindowStatus status;
    LanguageText texts;
    CrawlContext context;
};

template <typename Parse>
void runParser(benchmark::State &state, const QString &page, bool keywordSearch, Parse parse)
{
    const bool real = state.range(1) != 0;
    ScriptedEventPump noEvents;
    QtEventPump qtEvents;
    Grab grab(state.range(1) == 2 ? static_cast<EventPump &>(qtEvents) : noEvents);
    grab.settings.StayOnSameSite = true;
    CountingSink stub;
    LinkQueue queue(grab.context);
    LinkSink &sink = real ? static_cast<LinkSink &>(queue) : stub;
    const QString key = u"M0http://www.site.example/gallery/index.html"_s;
    for (auto _ : state) {
        if (real) {
            state.PauseTiming();
            grab.grab.SeedCrawl(key.mid(2), grab.settings);
            grab.grab.KeywordSearchMode = keywordSearch;
            grab.grab.SiteRoot = u"http://www.site.example"_s;
            grab.grab.ResultPageSeen = false;
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(parse(grab.context, sink, page, key));
    }
    state.SetBytesProcessed(state.iterations() * page.size());
    state.counters["queued"] =
        real ? grab.grab.LinkList.count() + grab.grab.ExpandList.count() +
                   grab.grab.ResourceList.count()
             : static_cast<double>(stub.count) / static_cast<double>(state.iterations());
}

void BM_ParseURLHtml(benchmark::State &state)
{
    const auto [size, anchors] = PageSizes[static_cast<size_t>(state.range(0))];
    runParser(state, websitePage(size, anchors), false,
              [](CrawlContext &c, LinkSink &s, const QString &h, const QString &k) {
                  return ParseURLHtml(c, s, h, k);
              });
}

void BM_ParseGoogleHtml(benchmark::State &state)
{
    const auto [size, anchors] = PageSizes[static_cast<size_t>(state.range(0))];
    runParser(state, resultPage(size, anchors), true,
              [](CrawlContext &c, LinkSink &s, const QString &h, const QString &k) {
                  return ParseGoogleHtml(c, s, h, k);
              });
}

void BM_ParseURLHtmlUnclosedAnchors(benchmark::State &state)
{
    runParser(state, unclosedAnchorsPage(state.range(0) * 1024 * 1024), false,
              [](CrawlContext &c, LinkSink &s, const QString &h, const QString &k) {
                  return ParseURLHtml(c, s, h, k);
              });
}

void BM_ParseGoogleHtmlUnclosedAnchors(benchmark::State &state)
{
    runParser(state, unclosedAnchorsPage(state.range(0) * 1024 * 1024), true,
              [](CrawlContext &c, LinkSink &s, const QString &h, const QString &k) {
                  return ParseGoogleHtml(c, s, h, k);
              });
}
} // namespace

// Arguments: page (0: 300 KB, 1: 5 MB), mode (see the top of the file).
BENCHMARK(BM_ParseURLHtml)
    ->ArgsProduct({{0, 1}, {0, 1, 2}})
    ->ArgNames({"page", "mode"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseGoogleHtml)
    ->ArgsProduct({{0, 1}, {0, 1, 2}})
    ->ArgNames({"page", "mode"})
    ->Unit(benchmark::kMillisecond);
// Arguments: page size in MB, mode.
BENCHMARK(BM_ParseURLHtmlUnclosedAnchors)
    ->ArgsProduct({{1, 4}, {0}})
    ->ArgNames({"MB", "mode"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseGoogleHtmlUnclosedAnchors)
    ->ArgsProduct({{1, 4}, {0}})
    ->ArgNames({"MB", "mode"})
    ->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    // The events of mode 2 need an application object.
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
