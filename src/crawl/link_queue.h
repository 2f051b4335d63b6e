#pragma once

// Link resolution and queueing: turns the link values found in a page into absolute
// addresses and decides which of them enter the grab's three address lists.

#include <QLatin1StringView>
#include <QString>
#include <QStringView>

struct CrawlContext;

// The text in lower case, one character for one, so that a position in the result is the
// same position in the text.
QString lowerCase(QStringView text);
char16_t lowerChar(QChar ch);
// Whether the text, in lower case, starts with or contains a lower-case ASCII word.
bool startsWithLower(QStringView text, QLatin1StringView lowerWord);
qsizetype indexOfLower(QStringView text, QLatin1StringView lowerWord, qsizetype from = 0);
inline bool containsLower(QStringView text, QLatin1StringView lowerWord)
{
    return indexOfLower(text, lowerWord) >= 0;
}

// The scheme and host of an address: "http://" or "https://" (in lower case) followed by the
// first path element in its own case. An address without either scheme gets "http://" put in
// front, in the caller's variable too. An address that is nothing but its scheme is its own
// root.
QString SiteRootOf(QString &address);

// The address with one "/" appended; empty for an empty address.
QString PathWithSlash(const QString &address);

// The absolute address of a link found on the page at base, or empty for a link that leads
// nowhere ("javascript:", "mailto:", empty). Every leading "../" means the site's root.
QString ResolveLink(const QString &base, const QString &link);

// The "&start=" offset of a result page address rounded down to a multiple of 10, or 0 when
// the address has no "&start=" followed somewhere by another "&".
qint64 ResultPageOffset(QStringView address);

// Admission to the grab's lists. Each lets pending events run once, then checks and appends
// without yielding again.
//
// A page for LinkList: no "#", on the start site when the user asked to stay there (website
// crawl only), nothing that mentions "microsoft", in neither page list yet.
void MakeLink(CrawlContext &context, QString link, qint16 depth);
// A page for ExpandList, with the filters of MakeLink. The first entry of an empty ExpandList
// is not compared with LinkList.
void MakeLinkExpand(CrawlContext &context, QString link, qint16 depth);
// A result page of a keyword search for LinkList, told apart from the queued result pages
// (all but the start address at index 0) only by its offset. Counts the page and shows the
// count in status panel 3.
void AddResultPage(CrawlContext &context, const QString &link, qint16 depth);
// A picture for ResourceList, unless its address looks like a thumbnail. An address that
// carries a complete address of its own is cut to that address first.
void SaveResource(CrawlContext &context, QString address);

// Where the parsers send the addresses they find.
class LinkSink {
public:
    virtual ~LinkSink() = default;
    virtual void MakeLink(const QString &link, qint16 depth) = 0;
    virtual void MakeLinkExpand(const QString &link, qint16 depth) = 0;
    virtual void AddResultPage(const QString &link, qint16 depth) = 0;
    virtual void SaveResource(const QString &address) = 0;
};

// The grab's own lists, through the admission routines above.
class LinkQueue final : public LinkSink {
public:
    explicit LinkQueue(CrawlContext &context) : context_(context) {}

    void MakeLink(const QString &link, qint16 depth) override;
    void MakeLinkExpand(const QString &link, qint16 depth) override;
    void AddResultPage(const QString &link, qint16 depth) override;
    void SaveResource(const QString &address) override;

private:
    CrawlContext &context_;
};
