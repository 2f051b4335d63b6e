#include "crawl/html_links.h"

#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"
#include "core/text_ids.h"
#include "crawl/crawl_context.h"
#include "crawl/link_queue.h"
#include "platform/event_pump.h"

#include <array>
#include <optional>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
constexpr int PagesCountedPanel = 3;
// Pages of this depth are fetched but never parsed.
constexpr qint16 NeverParsedDepth = 9;
// Links found on expand pages deeper than this are dropped.
constexpr qint16 DeepestFollowedExpandDepth = 2;

enum class PictureFormat { Gif, Jpg, Jpeg, Bmp, Png };
constexpr size_t FormatCount = 5;

// The picture format that the last four characters of an address name, whether or not it is
// enabled.
std::optional<PictureFormat> pictureFormatOf(QStringView address)
{
    const QString ending = lowerCase(address.right(4));
    if (ending == u".gif")
        return PictureFormat::Gif;
    if (ending == u".jpg")
        return PictureFormat::Jpg;
    if (ending == u"jpeg")
        return PictureFormat::Jpeg;
    if (ending == u".bmp")
        return PictureFormat::Bmp;
    if (ending == u".png")
        return PictureFormat::Png;
    return std::nullopt;
}

bool formatEnabled(const Settings &settings, PictureFormat format)
{
    switch (format) {
    case PictureFormat::Gif:
        return settings.GIF_Download;
    case PictureFormat::Jpg:
        return settings.JPG_Download;
    case PictureFormat::Jpeg:
        return settings.JPEG_Download;
    case PictureFormat::Bmp:
        return settings.BMP_Download;
    case PictureFormat::Png:
        return settings.PNG_Download;
    }
    return false;
}

bool looksLikePicture(const Settings &settings, QStringView address)
{
    const std::optional<PictureFormat> format = pictureFormatOf(address);
    return format && formatEnabled(settings, *format);
}

// Links to files that are neither pages nor pictures we keep.
bool neverFollowed(QStringView address)
{
    static constexpr std::array Endings{".pcx"_L1, ".tif"_L1, "tiff"_L1, ".wmf"_L1, ".exe"_L1,
                                        ".zip"_L1, ".pdf"_L1, ".doc"_L1, ".avi"_L1, ".mpg"_L1,
                                        "mpeg"_L1, ".wmv"_L1, "rmvb"_L1, ".mp3"_L1, ".wav"_L1};
    const QString ending = lowerCase(address.right(4));
    for (QLatin1StringView never : Endings) {
        if (ending == never)
            return true;
    }
    return false;
}

QStringView trimBlanks(QStringView text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ')
        ++first;
    while (last > first && text[last - 1] == u' ')
        --last;
    return text.sliced(first, last - first);
}

// What lies between an opening quote and the next one (or the end); text that does not start
// with the quote stays as it is.
QStringView insideQuotes(QStringView text, QChar quote)
{
    if (!text.startsWith(quote))
        return text;
    text = text.sliced(1);
    const qsizetype closing = text.indexOf(quote);
    return closing < 0 ? text : text.first(closing);
}

// The contents of an anchor are looked at without their "&nbsp;" entities and carriage
// returns. Neither holds a "<" or a ">", so one never straddles the edge of a tag or of the
// contents, and the text between two tags can be cleaned on its own.
template <typename Visit> void forEachShownChar(QStringView text, Visit visit)
{
    for (qsizetype at = 0; at < text.size();) {
        if (text[at] == u'&' && text.sliced(at).startsWith(u"&nbsp;")) {
            at += 6;
        } else if (text[at] == u'\r') {
            ++at;
        } else {
            if (!visit(text[at]))
                return;
            ++at;
        }
    }
}

QString shownText(QStringView text)
{
    QString shown;
    shown.reserve(text.size());
    forEachShownChar(text, [&shown](QChar ch) {
        shown.append(ch);
        return true;
    });
    return shown;
}

// How the visible text of an anchor reads as a number: blanks, digits, blanks. Shapes of
// neighbouring stretches join, so the shape of a long text is put together from its pieces.
struct NumberShape {
    enum Kind : quint8 { Empty, Blanks, Digits, Other };
    Kind kind = Empty;
    bool digitFirst = false;
    bool digitLast = false;

    bool isNumber() const { return kind == Digits; }
};

NumberShape join(NumberShape left, NumberShape right)
{
    if (left.kind == NumberShape::Other || right.kind == NumberShape::Other)
        return {NumberShape::Other};
    if (left.kind == NumberShape::Empty)
        return right;
    if (right.kind == NumberShape::Empty)
        return left;
    if (left.kind == NumberShape::Blanks) {
        return right.kind == NumberShape::Blanks
                   ? left
                   : NumberShape{NumberShape::Digits, false, right.digitLast};
    }
    if (right.kind == NumberShape::Blanks)
        return {NumberShape::Digits, left.digitFirst, false};
    // Two runs of digits make one number only when nothing lies between them.
    if (left.digitLast && right.digitFirst)
        return {NumberShape::Digits, left.digitFirst, right.digitLast};
    return {NumberShape::Other};
}

NumberShape shapeOf(QStringView text)
{
    NumberShape shape;
    forEachShownChar(text, [&shape](QChar ch) {
        NumberShape one{NumberShape::Other};
        if (ch >= u'0' && ch <= u'9')
            one = {NumberShape::Digits, true, true};
        else if (ch == u' ' || ch == u'\t' || ch == u'\n' || ch == u'\v' || ch == u'\f')
            one = {NumberShape::Blanks};
        shape = join(shape, one);
        return shape.kind != NumberShape::Other;
    });
    return shape;
}

// What the request key of a page tells its parser.
struct PageKey {
    QString base;
    qint16 depth = 0;
    bool expandPage = false;
};

PageKey readKey(QStringView key)
{
    PageKey page;
    page.expandPage = key.startsWith(u'X');
    if (key.size() >= 2 && key[1] >= u'0' && key[1] <= u'9')
        page.depth = static_cast<qint16>(key[1].unicode() - u'0');
    if (key.size() > 2)
        page.base = key.sliced(2).toString();
    return page;
}

enum class TagKind { Other, Anchor, Image, Frame };

// The tags the scan visits: each from a "<" to the next ">", the next one starting after that
// ">".
struct TagSpan {
    qsizetype open;
    qsizetype close;
};

// A page and what its scan works out once: its lower-case copy and the places of its tags.
class Page {
public:
    explicit Page(QString html) : text_(std::move(html)), lower_(lowerCase(text_))
    {
        qsizetype open = text_.indexOf(u'<');
        while (open >= 0) {
            const qsizetype close = text_.indexOf(u'>', open + 1);
            if (close < 0)
                break;
            tags_.push_back({open, close});
            open = text_.indexOf(u'<', close + 1);
        }
    }

    QStringView text() const { return text_; }
    const std::vector<TagSpan> &tags() const { return tags_; }

    // The tag text without its surrounding blanks, in its own case.
    QStringView tagText(size_t index) const { return trimBlanks(inside(text_, index)); }

    // Only an exact name counts: it must be followed by a blank or "&nbsp;", or end the tag.
    TagKind kindOf(size_t index) const
    {
        static constexpr std::array<std::pair<QLatin1StringView, TagKind>, 3> Names{
            {{"a"_L1, TagKind::Anchor}, {"img"_L1, TagKind::Image}, {"frame"_L1, TagKind::Frame}}};
        const QStringView lower = trimBlanks(inside(lower_, index));
        for (const auto &[name, kind] : Names) {
            if (!lower.startsWith(name))
                continue;
            const QStringView after = lower.sliced(name.size());
            if (after.isEmpty() || after.startsWith(u' ') || after.startsWith(u"&nbsp;"))
                return kind;
        }
        return TagKind::Other;
    }

    // The position of the first "</a" (in any case) after the position, or -1. The positions
    // asked for never decrease, so every stretch of the page is searched once.
    qsizetype closingAnchorAfter(qsizetype position)
    {
        const qsizetype from = position + 1;
        if (!closingKnown_ || (closing_ >= 0 && closing_ < from)) {
            closing_ = QStringView(lower_).indexOf(u"</a", from);
            closingKnown_ = true;
        }
        return closing_;
    }

private:
    QStringView inside(const QString &text, size_t index) const
    {
        const TagSpan &tag = tags_[index];
        return QStringView(text).sliced(tag.open + 1, tag.close - tag.open - 1);
    }

    QString text_;
    QString lower_;
    std::vector<TagSpan> tags_;
    qsizetype closing_ = -1;
    bool closingKnown_ = false;
};

// The thumbnail of an anchor is the first "img" tag inside its contents whose "src=" value
// looks like a picture. The tags inside the contents are exactly the page's own tags that
// follow the anchor and end before its "</a", so the candidates are collected once per page,
// by format, and every anchor takes the first of them after it. That keeps anchors that are
// never closed, and so all end at one far "</a", from searching the same tags over and over.
class Thumbnails {
public:
    explicit Thumbnails(const Page &page) : page_(page)
    {
        const std::vector<TagSpan> &tags = page.tags();
        for (size_t index = 0; index < tags.size(); ++index) {
            const TagSpan &tag = tags[index];
            const QStringView inside = page.text().sliced(tag.open + 1, tag.close - tag.open - 1);
            if (!startsWithImg(inside))
                continue;
            QString address = GetAttributeValue(trimBlanks(shownText(inside)), "src="_L1);
            if (address.isEmpty())
                continue;
            if (const std::optional<PictureFormat> format = pictureFormatOf(address))
                byFormat_[static_cast<size_t>(*format)].push_back({index, std::move(address)});
        }
    }

    // The thumbnail of the anchor that is tag number anchor and whose contents end at end,
    // or empty. Anchors must be asked for in page order.
    QString of(size_t anchor, qsizetype end, const Settings &settings)
    {
        const Candidate *first = nullptr;
        for (size_t format = 0; format < FormatCount; ++format) {
            const std::vector<Candidate> &candidates = byFormat_[format];
            size_t &next = next_[format];
            while (next < candidates.size() && candidates[next].tag <= anchor)
                ++next;
            if (next == candidates.size() ||
                !formatEnabled(settings, static_cast<PictureFormat>(format)))
                continue;
            if (!first || candidates[next].tag < first->tag)
                first = &candidates[next];
        }
        if (!first || page_.tags()[first->tag].close >= end)
            return {};
        return first->address;
    }

private:
    struct Candidate {
        size_t tag;
        QString address;
    };

    static bool startsWithImg(QStringView inside)
    {
        static constexpr char16_t Img[] = u"img";
        int matched = 0;
        forEachShownChar(inside, [&matched](QChar ch) {
            if (lowerChar(ch) != Img[matched]) {
                matched = -1;
                return false;
            }
            return ++matched < 3;
        });
        return matched == 3;
    }

    const Page &page_;
    std::array<std::vector<Candidate>, FormatCount> byFormat_;
    std::array<size_t, FormatCount> next_{};
};

// Whether the visible text of an anchor (its contents without tags) is a number. Anchors
// that end at the same "</a" share the end of their visible text, so the shapes of all of
// them are put together at once, from the back, when the first of them is met.
class VisibleNumbers {
public:
    explicit VisibleNumbers(const Page &page) : page_(page) {}

    // Anchors must be asked for in page order.
    bool isNumber(size_t anchor, qsizetype end)
    {
        if (end != end_)
            shapeAnchorsEndingAt(anchor, end);
        return shapes_[anchor - first_].isNumber();
    }

private:
    void shapeAnchorsEndingAt(size_t anchor, qsizetype end)
    {
        const std::vector<TagSpan> &tags = page_.tags();
        size_t last = anchor;
        while (last + 1 < tags.size() && tags[last + 1].close < end)
            ++last;
        const QStringView text = page_.text();
        shapes_.assign(last - anchor + 1, {});
        shapes_.back() = shapeOf(text.sliced(tags[last].close + 1, end - tags[last].close - 1));
        for (size_t index = last; index-- > anchor;) {
            const qsizetype from = tags[index].close + 1;
            shapes_[index - anchor] = join(shapeOf(text.sliced(from, tags[index + 1].open - from)),
                                           shapes_[index + 1 - anchor]);
        }
        first_ = anchor;
        end_ = end;
    }

    const Page &page_;
    std::vector<NumberShape> shapes_;
    size_t first_ = 0;
    qsizetype end_ = -1;
};

void savePicture(LinkSink &sink, const QString &address)
{
    if (!address.isEmpty())
        sink.SaveResource(address);
}

// A link or frame of a website crawl: from an expand page it leads one level deeper into
// ExpandList, as long as the page is no deeper than 2.
void queuePage(LinkSink &sink, const PageKey &key, const QString &link, bool wrapsThumbnail)
{
    if (key.expandPage) {
        if (key.depth <= DeepestFollowedExpandDepth)
            sink.MakeLinkExpand(link, static_cast<qint16>(key.depth + 1));
    } else if (wrapsThumbnail) {
        sink.MakeLinkExpand(link, 0);
    } else {
        sink.MakeLink(link, 0);
    }
}

void handleImage(CrawlContext &context, LinkSink &sink, const PageKey &key, QStringView tagText)
{
    context.events.yieldEvents();
    const QString value = GetAttributeValue(tagText, "src="_L1);
    if (!value.isEmpty() && looksLikePicture(context.settings, value))
        savePicture(sink, ResolveLink(key.base, value));
}

void handleFrame(CrawlContext &context, LinkSink &sink, const PageKey &key, QStringView tagText)
{
    context.events.yieldEvents();
    const QString link = ResolveLink(key.base, GetAttributeValue(tagText, "src="_L1));
    if (!link.isEmpty())
        queuePage(sink, key, link, false);
}

// Walks the tags of the page, letting events run before each. The handler returns false when
// the page ends at the tag it was given.
template <typename HandleTag>
bool scanTags(CrawlContext &context, const Page &page, HandleTag handleTag)
{
    for (size_t index = 0; index < page.tags().size(); ++index) {
        context.events.yieldEvents();
        if (context.grab.StopRequested)
            return false;
        if (!handleTag(index))
            return true;
    }
    return true;
}
} // namespace

QString GetAttributeValue(QStringView tagText, QLatin1StringView name)
{
    const qsizetype found = indexOfLower(tagText, name);
    if (found < 0)
        return {};
    QStringView value = tagText.sliced(found + name.size());
    value = insideQuotes(value, u'"');
    value = insideQuotes(value, u'\'');
    if (const qsizetype blank = value.indexOf(u' '); blank >= 0)
        value = value.first(blank);
    if (const qsizetype lineEnd = value.indexOf(u"\r\n"); lineEnd >= 0)
        value = value.first(lineEnd);
    QString result = value.toString();
    result.remove(u"amp;"_s);
    return trimBlanks(result).toString();
}

bool ParseURLHtml(CrawlContext &context, LinkSink &sink, QString html, QString key)
{
    GrabState &grab = context.grab;
    ++grab.PagesCounted;
    context.status.showStatus(PagesCountedPanel, context.texts[TextId::PagesCountedWord] + u' ' +
                                                     QString::number(grab.PagesCounted));

    const PageKey pageKey = readKey(key);
    if (pageKey.depth == NeverParsedDepth)
        return false;
    Page page(std::move(html));
    Thumbnails thumbnails(page);

    return scanTags(context, page, [&](size_t index) {
        const QStringView tagText = page.tagText(index);
        switch (page.kindOf(index)) {
        case TagKind::Image:
            handleImage(context, sink, pageKey, tagText);
            return true;
        case TagKind::Frame:
            handleFrame(context, sink, pageKey, tagText);
            return true;
        case TagKind::Other:
            return true;
        case TagKind::Anchor:
            break;
        }

        context.events.yieldEvents();
        const QString href = GetAttributeValue(tagText, "href="_L1);
        const qsizetype end = page.closingAnchorAfter(page.tags()[index].close);
        if (end < 0)
            return false;
        const QString thumbnail = thumbnails.of(index, end, context.settings);

        context.events.yieldEvents();
        // A link straight to a picture is queued as a picture, never as a page.
        if (const std::optional<PictureFormat> format = pictureFormatOf(href)) {
            if (formatEnabled(context.settings, *format))
                savePicture(sink, ResolveLink(pageKey.base, href));
            return true;
        }
        if (neverFollowed(href))
            return true;
        if (!thumbnail.isEmpty())
            savePicture(sink, ResolveLink(pageKey.base, thumbnail));

        context.events.yieldEvents();
        const QString link = ResolveLink(pageKey.base, href);
        if (!link.isEmpty())
            queuePage(sink, pageKey, link, !thumbnail.isEmpty());
        return true;
    });
}

bool ParseURLHtml(CrawlContext &context, QString html, QString key)
{
    LinkQueue queue(context);
    return ParseURLHtml(context, queue, std::move(html), std::move(key));
}

bool ParseGoogleHtml(CrawlContext &context, LinkSink &sink, QString html, QString key)
{
    const PageKey pageKey = readKey(key);
    if (pageKey.depth == NeverParsedDepth)
        return false;
    Page page(std::move(html));
    VisibleNumbers numbers(page);

    return scanTags(context, page, [&](size_t index) {
        const QStringView tagText = page.tagText(index);
        switch (page.kindOf(index)) {
        case TagKind::Image:
            handleImage(context, sink, pageKey, tagText);
            return true;
        case TagKind::Frame:
        case TagKind::Other:
            return true;
        case TagKind::Anchor:
            break;
        }

        context.events.yieldEvents();
        const QString href = GetAttributeValue(tagText, "href="_L1);
        const qsizetype end = page.closingAnchorAfter(page.tags()[index].close);
        if (end < 0)
            return false;
        const bool pageNumber = numbers.isNumber(index, end);

        context.events.yieldEvents();
        const QString link = ResolveLink(pageKey.base, href);
        if (link.isEmpty())
            return true;
        // The page numbers of the result list lead to further result pages; the first other
        // link of the grab is fetched but never parsed.
        GrabState &grab = context.grab;
        if (pageNumber) {
            grab.ResultPageSeen = true;
            sink.AddResultPage(link, 0);
        } else if (!grab.ResultPageSeen) {
            grab.ResultPageSeen = true;
            sink.MakeLinkExpand(link, NeverParsedDepth);
        }
        return true;
    });
}

bool ParseGoogleHtml(CrawlContext &context, QString html, QString key)
{
    LinkQueue queue(context);
    return ParseGoogleHtml(context, queue, std::move(html), std::move(key));
}
