#include "grab/search_start.h"

#include "core/grab_state.h"
#include "crawl/link_queue.h"

#include <QHostAddress>

namespace {
const QString Http = QStringLiteral("http://");
const QString Https = QStringLiteral("https://");
const QString Www = QStringLiteral("www.");

bool startsWithNoCase(const QString &text, const QString &prefix)
{
    return text.startsWith(prefix, Qt::CaseInsensitive);
}

bool isWebsiteAddress(const QString &text)
{
    return text.contains(u'.') || startsWithNoCase(text, Http) || startsWithNoCase(text, Https);
}

// The host of an address without its scheme: up to the first "/", without a port.
QString hostOf(const QString &rest)
{
    QString host = rest.section(u'/', 0, 0);
    if (host.startsWith(u'['))
        return host.mid(1, host.indexOf(u']') - 1);
    const qsizetype colon = host.lastIndexOf(u':');
    return colon < 0 ? host : host.left(colon);
}

// A machine named by its address or the local machine has no "www." twin.
bool wantsWww(const QString &rest)
{
    const QString host = hostOf(rest);
    if (host.compare(u"localhost", Qt::CaseInsensitive) == 0)
        return false;
    return QHostAddress(host).isNull();
}

QString normalisedAddress(const QString &text)
{
    QString scheme = Http;
    QString rest = text;
    if (startsWithNoCase(rest, Http)) {
        rest.remove(0, Http.size());
    } else if (startsWithNoCase(rest, Https)) {
        rest.remove(0, Https.size());
        scheme = Https;
    }
    if (!startsWithNoCase(rest, Www) && wantsWww(rest))
        rest.prepend(Www);
    return scheme + rest;
}

QString projectPath(const QString &projectFolder, const QString &name)
{
    return projectFolder + u'/' + safeFileName(name) + QStringLiteral(".txt");
}
} // namespace

QString safeFileName(QString name)
{
    for (QChar &ch : name) {
        if (ch == u'/' || ch == u'\\' || ch.category() == QChar::Other_Control)
            ch = u'_';
    }
    return name;
}

SearchStart startOfSearch(const QString &searchText, const QString &projectFolder,
                          const QString &searchBaseAddress, const QString &searchPageSuffix)
{
    SearchStart start;
    if (isWebsiteAddress(searchText)) {
        start.KeywordSearchMode = false;
        start.SearchText = normalisedAddress(searchText);
        QString address = start.SearchText;
        start.SiteRoot = SiteRootOf(address);
        QString name = start.SearchText;
        name.remove(QStringLiteral("http://www."));
        name.remove(QStringLiteral("https://www."));
        name.replace(u'/', u'_');
        name.replace(u'.', u'_');
        start.ProjectFilePath = projectPath(projectFolder, name);
        start.StartAddress = start.SearchText;
    } else {
        start.KeywordSearchMode = true;
        start.SearchText = searchText;
        QString name = searchText;
        start.ProjectFilePath = projectPath(projectFolder, name.replace(u' ', u'_'));
        QString words = searchText;
        start.StartAddress = searchBaseAddress + words.replace(u' ', u'+') + searchPageSuffix;
    }
    return start;
}

void prepareGrab(GrabState &grab, const SearchStart &start, const Settings &settings)
{
    grab.KeywordSearchMode = start.KeywordSearchMode;
    if (start.KeywordSearchMode)
        grab.ResultPageSeen = false;
    else
        grab.SiteRoot = start.SiteRoot;
    grab.ProjectFilePath = start.ProjectFilePath;
    grab.SeedCrawl(start.StartAddress, settings);
}
