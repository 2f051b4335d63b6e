#include "crawl/link_queue.h"

#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"
#include "core/text_ids.h"
#include "crawl/crawl_context.h"
#include "platform/event_pump.h"

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace {
constexpr int PagesCountedPanel = 3;

bool matchesLowerAt(QStringView text, qsizetype at, QLatin1StringView lowerWord)
{
    for (qsizetype i = 0; i < lowerWord.size(); ++i) {
        if (lowerChar(text[at + i]) != lowerWord[i].unicode())
            return false;
    }
    return true;
}

// The length of the "http://" or "https://" that the text starts with (in any case), or 0.
qsizetype schemeLength(QStringView text)
{
    if (startsWithLower(text, "http://"_L1))
        return 7;
    if (startsWithLower(text, "https://"_L1))
        return 8;
    return 0;
}

QString lowerScheme(qsizetype length)
{
    return length == 8 ? u"https://"_s : u"http://"_s;
}

// Site roots name the same site when their hosts agree in any case, whatever the scheme.
bool sameHost(QStringView root, QStringView otherRoot)
{
    const QStringView host = root.mid(schemeLength(root));
    const QStringView otherHost = otherRoot.mid(schemeLength(otherRoot));
    return host.size() == otherHost.size() && lowerCase(host) == lowerCase(otherHost);
}

// The stay-on-same-site filter of a website crawl. Like SiteRootOf, it puts "http://" in
// front of a link without a scheme.
bool onAllowedSite(CrawlContext &context, QString &link)
{
    if (!context.settings.StayOnSameSite || context.grab.KeywordSearchMode)
        return true;
    const QString linkRoot = SiteRootOf(link);
    return sameHost(linkRoot, SiteRootOf(context.grab.SiteRoot));
}

// The filters that both page lists apply before their duplicate checks.
bool passesPageFilters(CrawlContext &context, QString &link)
{
    if (link.contains(u'#'))
        return false;
    if (!onAllowedSite(context, link))
        return false;
    return !containsLower(link, "microsoft"_L1);
}

// Cuts the address to the last of a chain of embedded words: each search starts one place
// further into the shortened text than the position at which the previous word was found.
void cutToEmbedded(QString &address, QStringView word)
{
    const QStringView original(address);
    qsizetype start = 0;
    qsizetype searchFrom = 0;
    for (;;) {
        const qsizetype found = original.indexOf(word, start + searchFrom);
        if (found < 0)
            break;
        searchFrom = found - start + 1;
        start = found;
    }
    if (start > 0)
        address.remove(0, start);
}

qint64 readNumber(QStringView text)
{
    // Offsets this large are not result pages; capping keeps the arithmetic defined.
    constexpr qint64 Cap = 100'000'000'000'000'000;
    qsizetype at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) {
        negative = text[at] == u'-';
        ++at;
    }
    qint64 value = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
        if (value < Cap)
            value = value * 10 + (text[at].unicode() - u'0');
    }
    return negative ? -value : value;
}
} // namespace

char16_t lowerChar(QChar ch)
{
    const char16_t unit = ch.unicode();
    if (unit < 0x80)
        return unit >= u'A' && unit <= u'Z' ? char16_t(unit + (u'a' - u'A')) : unit;
    return ch.toLower().unicode();
}

QString lowerCase(QStringView text)
{
    QString lower(text.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(lower.data());
    for (QChar ch : text)
        *out++ = lowerChar(ch);
    return lower;
}

bool startsWithLower(QStringView text, QLatin1StringView lowerWord)
{
    return text.size() >= lowerWord.size() && matchesLowerAt(text, 0, lowerWord);
}

qsizetype indexOfLower(QStringView text, QLatin1StringView lowerWord, qsizetype from)
{
    for (qsizetype at = std::max<qsizetype>(from, 0); at + lowerWord.size() <= text.size(); ++at) {
        if (matchesLowerAt(text, at, lowerWord))
            return at;
    }
    return -1;
}

QString SiteRootOf(QString &address)
{
    qsizetype scheme = schemeLength(address);
    if (scheme == 0) {
        address.prepend(u"http://"_s);
        scheme = 7;
    }
    const QStringView rest = QStringView(address).mid(scheme);
    if (rest.isEmpty())
        return address;
    const qsizetype slash = rest.indexOf(u'/');
    return lowerScheme(scheme) + (slash < 0 ? rest : rest.left(slash));
}

QString PathWithSlash(const QString &address)
{
    return address.isEmpty() ? QString() : address + u'/';
}

QString ResolveLink(const QString &base, const QString &link)
{
    QStringView rest(link);
    bool climbed = false;
    while (rest.startsWith(u"../")) {
        rest = rest.mid(3);
        climbed = true;
    }
    QString root = base;
    if (rest.startsWith(u'/'))
        return SiteRootOf(root) + rest;
    if (startsWithLower(rest, "javascript:"_L1))
        return {};
    if (rest.startsWith(u'#'))
        return PathWithSlash(base) + rest;
    if (startsWithLower(rest, "mailto:"_L1))
        return {};
    if (const qsizetype scheme = schemeLength(rest)) {
        const QStringView afterScheme = rest.mid(scheme);
        QString address = lowerScheme(scheme) + afterScheme;
        if (!afterScheme.contains(u'/'))
            address += u'/';
        return address;
    }
    if (rest.isEmpty())
        return {};
    if (climbed)
        return SiteRootOf(root) + u'/' + rest;
    if (base == SiteRootOf(root))
        return base + u'/' + rest;
    const qsizetype hosted = indexOfLower(base, "/hosted/"_L1);
    if (hosted >= 0)
        return QStringView(base).left(hosted + 8) + rest;
    return FolderOf(base) + rest;
}

qint64 ResultPageOffset(QStringView address)
{
    const QLatin1StringView marker = "&start="_L1;
    const qsizetype found = indexOfLower(address, marker);
    if (found < 0)
        return 0;
    const qsizetype numberStart = found + marker.size();
    if (address.indexOf(u'&', numberStart) < 0)
        return 0;
    return readNumber(address.mid(numberStart)) / 10 * 10;
}

void MakeLink(CrawlContext &context, QString link, qint16 depth)
{
    context.events.yieldEvents();
    if (!passesPageFilters(context, link))
        return;
    GrabState &grab = context.grab;
    if (grab.LinkList.contains(link) || grab.ExpandList.contains(link))
        return;
    grab.LinkList.append({std::move(link), depth});
}

void MakeLinkExpand(CrawlContext &context, QString link, qint16 depth)
{
    context.events.yieldEvents();
    if (!passesPageFilters(context, link))
        return;
    GrabState &grab = context.grab;
    if (!grab.ExpandList.isEmpty() &&
        (grab.ExpandList.contains(link) || grab.LinkList.contains(link)))
        return;
    grab.ExpandList.append({std::move(link), depth});
}

void AddResultPage(CrawlContext &context, const QString &link, qint16 depth)
{
    context.events.yieldEvents();
    if (containsLower(link, "microsoft"_L1))
        return;

    GrabState &grab = context.grab;
    ResultPageIndex &index = grab.ResultPageOffsets;
    if (index.IndexedLinks > grab.LinkList.count())
        index = {};
    // The start address at index 0 is never compared.
    for (qint32 i = std::max(index.IndexedLinks, 1); i < grab.LinkList.count(); ++i)
        index.Offsets.insert(ResultPageOffset(grab.LinkList.at(i).Address));
    index.IndexedLinks = grab.LinkList.count();
    if (index.Offsets.contains(ResultPageOffset(link)))
        return;

    grab.LinkList.append({link, depth});
    ++grab.PagesCounted;
    context.status.showStatus(PagesCountedPanel, context.texts[TextId::PagesCountedWord] + u' ' +
                                                     QString::number(grab.PagesCounted));
}

void SaveResource(CrawlContext &context, QString address)
{
    context.events.yieldEvents();
    // An empty address names no picture; the parsers never hand one over.
    if (address.isEmpty())
        return;
    static constexpr std::array ThumbnailWords{"small"_L1, "tn"_L1, "thumb"_L1, "default"_L1};
    for (QLatin1StringView word : ThumbnailWords) {
        if (containsLower(address, word))
            return;
    }
    cutToEmbedded(address, u"http");
    cutToEmbedded(address, u"ftp");

    PictureList &pictures = context.grab.ResourceList;
    if (!pictures.contains(address))
        pictures.append(std::move(address));
}

void LinkQueue::MakeLink(const QString &link, qint16 depth)
{
    ::MakeLink(context_, link, depth);
}

void LinkQueue::MakeLinkExpand(const QString &link, qint16 depth)
{
    ::MakeLinkExpand(context_, link, depth);
}

void LinkQueue::AddResultPage(const QString &link, qint16 depth)
{
    ::AddResultPage(context_, link, depth);
}

void LinkQueue::SaveResource(const QString &address)
{
    ::SaveResource(context_, address);
}
