#pragma once

// Link extraction from downloaded pages: the parser of a website crawl and the parser of the
// result pages of a keyword search. Neither builds a document tree: both walk the text from
// one "<" to the next ">", look at the tag name and one attribute, and hand what they find to
// a LinkSink.

#include <QLatin1StringView>
#include <QString>
#include <QStringView>

struct CrawlContext;
class LinkSink;

// The value that follows the first occurrence of name ("src=" or "href=", in lower case) in
// the tag text, in any case and also at the end of a longer attribute name: the text inside
// double, then single quotes, cut at the first blank and the first CR LF, with every "amp;"
// removed. Empty when the name does not occur, so "src = x" gives nothing.
QString GetAttributeValue(QStringView tagText, QLatin1StringView name);

// Parses a page of a website crawl. The key is the page's request key: its kind ("X" for an
// expand page), its depth digit and the page's own address, against which links resolve.
// Counts the page in PagesCounted. Frames and links go to MakeLink or MakeLinkExpand, pictures
// and the thumbnails inside links to SaveResource. Returns true when the scan reached the
// end of the page, false when it stopped early (depth 9 or StopRequested).
bool ParseURLHtml(CrawlContext &context, LinkSink &sink, QString html, QString key);
bool ParseURLHtml(CrawlContext &context, QString html, QString key);

// Parses a result page of a keyword search: pictures go to SaveResource, links whose visible
// text is a number to AddResultPage, and the first link of the grab to MakeLinkExpand at
// depth 9. Returns as ParseURLHtml does.
bool ParseGoogleHtml(CrawlContext &context, LinkSink &sink, QString html, QString key);
bool ParseGoogleHtml(CrawlContext &context, QString html, QString key);
