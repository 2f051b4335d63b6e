// Runs both page parsers on arbitrary pages and compares everything they hand over, their
// result and where they stop with a plain reading of the same scan: one that copies the
// page's tail for every anchor and cuts its contents tag by tag. The parsers share work
// between anchors and between tags, and this is what keeps that sharing honest.
//
// Input: byte 0 picks the formats, the parser, the page kind and depth and the text
// encoding; byte 1 the yield after which StopRequested is set (0: never); the rest is the page.

#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"
#include "crawl/crawl_context.h"
#include "crawl/html_links.h"
#include "crawl/link_queue.h"
#include "platform/event_pump.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
using Calls = std::vector<std::string>;

std::string describe(const char *routine, const QString &address, int depth)
{
    return std::string(routine) + ' ' + address.toStdString() + ' ' + std::to_string(depth);
}

class RecordingSink final : public LinkSink {
public:
    void MakeLink(const QString &link, qint16 depth) override
    {
        calls.push_back(describe("MakeLink", link, depth));
    }
    void MakeLinkExpand(const QString &link, qint16 depth) override
    {
        calls.push_back(describe("MakeLinkExpand", link, depth));
    }
    void AddResultPage(const QString &link, qint16 depth) override
    {
        calls.push_back(describe("AddResultPage", link, depth));
    }
    void SaveResource(const QString &address) override
    {
        calls.push_back(describe("SaveResource", address, 0));
    }
    Calls calls;
};

// Sets StopRequested when the chosen yield has run.
class StoppingPump final : public EventPump {
public:
    StoppingPump(GrabState &grab, int stopAfter) : grab_(grab), stopAfter_(stopAfter) {}
    void yieldEvents() override
    {
        if (++yields_ == stopAfter_)
            grab_.StopRequested = true;
    }

private:
    GrabState &grab_;
    int stopAfter_;
    int yields_ = 0;
};

QString trimmedBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ')
        ++first;
    while (last > first && text[last - 1] == u' ')
        --last;
    return text.mid(first, last - first);
}

QString lastFourLower(const QString &text)
{
    return lowerCase(text.right(4));
}

bool pictureEnding(const QString &ending, const Settings &settings, bool *enabled)
{
    const std::pair<const char16_t *, bool> endings[] = {{u".gif", settings.GIF_Download},
                                                         {u".jpg", settings.JPG_Download},
                                                         {u"jpeg", settings.JPEG_Download},
                                                         {u".bmp", settings.BMP_Download},
                                                         {u".png", settings.PNG_Download}};
    for (const auto &[name, on] : endings) {
        if (ending == QStringView(name)) {
            *enabled = on;
            return true;
        }
    }
    return false;
}

bool looksLikePicture(const QString &address, const Settings &settings)
{
    bool enabled = false;
    return pictureEnding(lastFourLower(address), settings, &enabled) && enabled;
}

bool neverFollowed(const QString &ending)
{
    return QStringList{u".pcx"_s, u".tif"_s, u"tiff"_s, u".wmf"_s, u".exe"_s,
                       u".zip"_s, u".pdf"_s, u".doc"_s, u".avi"_s, u".mpg"_s,
                       u"mpeg"_s, u".wmv"_s, u"rmvb"_s, u".mp3"_s, u".wav"_s}
        .contains(ending);
}

QString referenceAttribute(const QString &tagText, const QString &name)
{
    const qsizetype found = lowerCase(tagText).indexOf(name);
    if (found < 0)
        return {};
    QString value = tagText.mid(found + name.size());
    for (QChar quote : {u'"', u'\''}) {
        if (value.startsWith(quote))
            value = value.split(quote).value(1);
    }
    value = value.split(u' ').value(0);
    value = value.split(u"\r\n"_s).value(0);
    value.replace(u"amp;"_s, QString());
    return trimmedBlanks(value);
}

bool referenceNumber(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    auto blank = [](QChar ch) {
        return ch == u' ' || ch == u'\t' || ch == u'\n' || ch == u'\v' || ch == u'\f';
    };
    while (first < last && blank(text[first]))
        ++first;
    while (last > first && blank(text[last - 1]))
        --last;
    if (first == last)
        return false;
    for (qsizetype i = first; i < last; ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return false;
    }
    return true;
}

struct ReferenceRun {
    Calls calls;
    bool finished = false;
    bool resultPageSeen = false;
};

// The scan as it reads, one step after the other.
ReferenceRun referenceParse(const QString &html, const QString &key, bool google,
                            const Settings &settings, bool resultPageSeen, int stopAfter)
{
    ReferenceRun run;
    run.resultPageSeen = resultPageSeen;
    int yields = 0;
    bool stop = false;
    auto yield = [&] { stop = stop || ++yields == stopAfter; };

    const QString base = key.mid(2);
    const qint16 depth =
        key.size() >= 2 && key[1] >= u'0' && key[1] <= u'9' ? key[1].unicode() - u'0' : 0;
    const bool expandPage = key.startsWith(u'X');
    auto save = [&](const QString &address) {
        if (!address.isEmpty())
            run.calls.push_back(describe("SaveResource", address, 0));
    };
    auto queuePage = [&](const QString &link, bool thumbnail) {
        if (expandPage) {
            if (depth <= 2)
                run.calls.push_back(describe("MakeLinkExpand", link, depth + 1));
        } else {
            run.calls.push_back(thumbnail ? describe("MakeLinkExpand", link, 0)
                                          : describe("MakeLink", link, 0));
        }
    };

    if (depth == 9)
        return run;
    const QString lower = lowerCase(html);
    qsizetype p1 = html.indexOf(u'<');
    if (p1 < 0)
        return run.finished = true, run;
    qsizetype p2 = html.indexOf(u'>', p1 + 1);
    if (p2 < 0)
        return run.finished = true, run;
    for (;;) {
        yield();
        if (stop)
            return run;
        const QString tagText = trimmedBlanks(html.mid(p1 + 1, p2 - p1 - 1));
        const QString name = lowerCase(tagText).replace(u"&nbsp;"_s, u" "_s).split(u' ')[0];
        if (name == u"img") {
            yield();
            const QString value = referenceAttribute(tagText, u"src="_s);
            if (!value.isEmpty() && looksLikePicture(value, settings))
                save(ResolveLink(base, value));
        } else if (name == u"frame" && !google) {
            yield();
            const QString link = ResolveLink(base, referenceAttribute(tagText, u"src="_s));
            if (!link.isEmpty())
                queuePage(link, false);
        } else if (name == u"a") {
            yield();
            const QString href = referenceAttribute(tagText, u"href="_s);
            const qsizetype close = lower.indexOf(u"</a"_s, p2 + 1);
            if (close < 0)
                return run.finished = true, run;
            QString content = html.mid(p2 + 1, close - p2 - 1);
            content.replace(u"&nbsp;"_s, QString());
            content.replace(u"\r"_s, QString());
            QString thumbnail;
            for (;;) {
                const qsizetype q1 = content.indexOf(u'<');
                const qsizetype q2 = q1 < 0 ? -1 : content.indexOf(u'>', q1 + 1);
                if (q2 < 0)
                    break;
                if (!google && thumbnail.isEmpty() && lowerCase(content.mid(q1 + 1, 3)) == u"img") {
                    const QString value = referenceAttribute(
                        trimmedBlanks(content.mid(q1 + 1, q2 - q1 - 1)), u"src="_s);
                    if (!value.isEmpty() && looksLikePicture(value, settings))
                        thumbnail = value;
                }
                content.remove(q1, q2 - q1 + 1);
            }
            yield();
            if (google) {
                const QString link = ResolveLink(base, href);
                if (!link.isEmpty()) {
                    const bool number = referenceNumber(content);
                    if (run.resultPageSeen) {
                        if (number)
                            run.calls.push_back(describe("AddResultPage", link, 0));
                    } else {
                        run.resultPageSeen = true;
                        run.calls.push_back(number ? describe("AddResultPage", link, 0)
                                                   : describe("MakeLinkExpand", link, 9));
                    }
                }
            } else {
                bool enabled = false;
                const QString ending = lastFourLower(href);
                if (pictureEnding(ending, settings, &enabled)) {
                    if (enabled)
                        save(ResolveLink(base, href));
                } else if (!neverFollowed(ending)) {
                    if (!thumbnail.isEmpty())
                        save(ResolveLink(base, thumbnail));
                    yield();
                    const QString link = ResolveLink(base, href);
                    if (!link.isEmpty())
                        queuePage(link, !thumbnail.isEmpty());
                }
            }
        }
        p1 = html.indexOf(u'<', p2 + 1);
        if (p1 < 0)
            return run.finished = true, run;
        p2 = html.indexOf(u'>', p1 + 1);
        if (p2 < 0)
            return run.finished = true, run;
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t choice = data[0];
    const int stopAfter = data[1];
    const QByteArray page(reinterpret_cast<const char *>(data + 2),
                          static_cast<qsizetype>(size - 2));

    Settings settings;
    settings.GIF_Download = choice & 1;
    settings.JPG_Download = choice & 2;
    settings.JPEG_Download = (choice & 4) == 0;
    settings.BMP_Download = choice & 8;
    settings.PNG_Download = (choice & 8) == 0;
    const bool google = choice & 16;
    const bool resultPageSeen = choice & 32;
    const QString html = choice & 64 ? QString::fromUtf8(page) : QString::fromLatin1(page);
    // Depths 0 to 3 on expand pages and 9 on result links are the ones that matter.
    const QString key = (choice & 128 ? u"X"_s : u"M"_s) +
                        QString::number((stopAfter >> 4) % 4 + (stopAfter % 7 == 6 ? 6 : 0)) +
                        u"http://fuzz.example/dir/page.html"_s;

    GrabState grab;
    grab.ResultPageSeen = resultPageSeen;
    MainWindowStatus status;
    LanguageText texts;
    StoppingPump pump(grab, stopAfter);
    CrawlContext context{settings, grab, status, texts, pump};
    RecordingSink sink;
    const bool finished =
        google ? ParseGoogleHtml(context, sink, html, key) : ParseURLHtml(context, sink, html, key);

    const ReferenceRun expected =
        referenceParse(html, key, google, settings, resultPageSeen, stopAfter);
    if (finished != expected.finished || sink.calls != expected.calls ||
        grab.ResultPageSeen != expected.resultPageSeen)
        std::abort();
    return 0;
}
