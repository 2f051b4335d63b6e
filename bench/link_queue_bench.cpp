// The cost of one admission into lists that already hold 100 000 entries each, for new
// addresses (checked and appended) and for duplicates (checked and refused), and of resolving
// one link. Each timed batch of 10 000 starts again from the same filled lists, so the lists
// stay at their size however long the benchmark runs. Events do nothing; the site filter of
// a website crawl is on.

#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"
#include "crawl/crawl_context.h"
#include "crawl/link_queue.h"
#include "platform/event_pump.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace Qt::StringLiterals;

namespace {
constexpr int Filled = 100'000;
constexpr int Batch = 10'000;

QString page(int n)
{
    return u"http://www.site.example/section"_s + QString::number(n % 97) + u"/page"_s +
           QString::number(n) + u".html"_s;
}

QString resultPage(int n)
{
    return u"http://images.example/images?hl=en&q=cats&start="_s + QString::number(n * 10) +
           u"&sa=N"_s;
}

QString picture(int n)
{
    return u"http://img.example/photos/"_s + QString::number(n % 89) + u"/photo"_s +
           QString::number(n) + u".jpg"_s;
}

struct Fixture {
    Fixture()
    {
        settings.StayOnSameSite = true;
        grab.SeedCrawl(u"http://www.site.example/"_s, settings);
        grab.KeywordSearchMode = false;
        grab.SiteRoot = u"http://www.site.example"_s;
        for (int n = 0; n < Filled; ++n) {
            MakeLink(context, page(n), 0);
            MakeLinkExpand(context, page(Filled + n), 1);
            SaveResource(context, picture(n));
        }
    }

    Settings settings;
    GrabState grab;
    MainWindowStatus status;
    LanguageText texts;
    ScriptedEventPump events;
    CrawlContext context{settings, grab, status, texts, events};
};

using Admission = void (*)(CrawlContext &, const QString &);

// Times batches of admissions of the given addresses; each batch starts from the filled
// lists. The addresses are made beforehand, so only the admissions are timed.
void admit(benchmark::State &state, const GrabState &filled, QString (*address)(int),
           int firstNumber, Admission admission)
{
    std::vector<QString> addresses;
    for (int n = 0; n < Batch; ++n)
        addresses.push_back(address(firstNumber + n));
    // An address of none of the lists and of no batch.
    const QString fresh = address(10 * Filled);

    Settings settings;
    settings.StayOnSameSite = true;
    MainWindowStatus status;
    LanguageText texts;
    ScriptedEventPump events;
    GrabState grab;
    CrawlContext context{settings, grab, status, texts, events};
    for (auto _ : state) {
        state.PauseTiming();
        grab = filled;
        // The copy shares its indexes with the filled lists until its first change; one
        // admission outside the timing makes the copy its own.
        admission(context, fresh);
        state.ResumeTiming();
        for (const QString &each : addresses)
            admission(context, each);
    }
    const double admissions = static_cast<double>(state.iterations()) * Batch;
    state.counters["per_admission"] =
        benchmark::Counter(admissions, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["list_size"] = grab.LinkList.count();
}

const Fixture &filledLists()
{
    static const Fixture fixture;
    return fixture;
}

// Result pages need their own LinkList: 100 000 pages with distinct offsets.
const GrabState &filledResultPages()
{
    static const GrabState state = [] {
        Fixture fixture;
        fixture.grab.KeywordSearchMode = true;
        fixture.grab.SeedCrawl(resultPage(0), fixture.settings);
        for (int n = 1; n <= Filled; ++n)
            AddResultPage(fixture.context, resultPage(n), 0);
        return fixture.grab;
    }();
    return state;
}

void makeLink(CrawlContext &context, const QString &link)
{
    MakeLink(context, link, 0);
}

void makeLinkExpand(CrawlContext &context, const QString &link)
{
    MakeLinkExpand(context, link, 1);
}

void addResultPage(CrawlContext &context, const QString &link)
{
    AddResultPage(context, link, 0);
}

void saveResource(CrawlContext &context, const QString &address)
{
    SaveResource(context, address);
}

void BM_MakeLinkNew(benchmark::State &state)
{
    admit(state, filledLists().grab, page, 3 * Filled, makeLink);
}

// Half of the duplicates are in LinkList, half in ExpandList.
void BM_MakeLinkDuplicate(benchmark::State &state)
{
    admit(state, filledLists().grab, page, Filled - Batch / 2, makeLink);
}

void BM_MakeLinkExpandNew(benchmark::State &state)
{
    admit(state, filledLists().grab, page, 3 * Filled, makeLinkExpand);
}

void BM_AddResultPageNew(benchmark::State &state)
{
    admit(state, filledResultPages(), resultPage, 2 * Filled, addResultPage);
}

void BM_AddResultPageDuplicate(benchmark::State &state)
{
    admit(state, filledResultPages(), resultPage, 1, addResultPage);
}

void BM_SaveResourceNew(benchmark::State &state)
{
    admit(state, filledLists().grab, picture, 2 * Filled, saveResource);
}

void BM_SaveResourceDuplicate(benchmark::State &state)
{
    admit(state, filledLists().grab, picture, 0, saveResource);
}

void BM_ResolveLink(benchmark::State &state)
{
    const QString base = u"http://www.site.example/gallery/2009/index.html"_s;
    const std::vector<QString> links{u"photo12.jpg"_s,
                                     u"/about/contact.html"_s,
                                     u"../../up.html"_s,
                                     u"HTTP://Other.Example"_s,
                                     u"#top"_s,
                                     u"javascript:void(0)"_s,
                                     u"https://secure.example/p"_s,
                                     u"sub/page.html?x=1"_s};
    for (auto _ : state) {
        for (const QString &link : links)
            benchmark::DoNotOptimize(ResolveLink(base, link));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<qint64>(links.size()));
}
} // namespace

BENCHMARK(BM_MakeLinkNew)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeLinkDuplicate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeLinkExpandNew)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddResultPageNew)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddResultPageDuplicate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveResourceNew)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveResourceDuplicate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResolveLink);

BENCHMARK_MAIN();
