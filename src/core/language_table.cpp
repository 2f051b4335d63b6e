#include "core/language_table.h"

#include "core/text_forms.h"
#include "platform/file_listing.h"

#include <QFile>

namespace {
const QString SearchHost = QStringLiteral("https://www.google.com");

struct SearchLanguage {
    const char16_t *fileName;
    const char16_t *code;
    const char16_t *pathAndQuery;
};

constexpr SearchLanguage searchLanguages[] = {
    {u"english.lan", u"en", u"/images?hl=en&newwindow=1&safe=off&q="},
    {u"francais.lan", u"fr", u"/images?hl=fr&newwindow=1&safe=off&q="},
    {u"german.lan", u"de", u"/images?hl=de&newwindow=1&safe=off&q="},
    {u"italian.lan", u"it", u"/images?hl=it&newwindow=1&safe=off&q="},
    {u"spanish.lan", u"es", u"/images?hl=es&newwindow=1&safe=off&q="},
};

const SearchLanguage *searchLanguageOf(const QString &fileName)
{
    const QString lower = fileName.toLower();
    for (const SearchLanguage &language : searchLanguages) {
        if (lower == QString::fromUtf16(language.fileName))
            return &language;
    }
    return nullptr;
}

QString joinPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(u'/'))
        return folder + name;
    return folder + u'/' + name;
}
} // namespace

QString searchBaseAddressFor(const QString &fileName)
{
    const SearchLanguage *language = searchLanguageOf(fileName);
    return language ? SearchHost + QString::fromUtf16(language->pathAndQuery) : QString();
}

QString languageCodeFor(const QString &fileName)
{
    const SearchLanguage *language = searchLanguageOf(fileName);
    return language ? QString::fromUtf16(language->code) : QString();
}

LanguageText readLanguageText(const QByteArray &contents)
{
    LanguageText table;
    const QString text = textFromBytes(contents);
    int index = 0;
    qsizetype lineStart = 0;
    const qsizetype size = text.size();
    while (lineStart < size && index < LanguageText::Count) {
        qsizetype lineEnd = lineStart;
        while (lineEnd < size && text[lineEnd] != u'\r' && text[lineEnd] != u'\n')
            ++lineEnd;
        const QStringView line = QStringView(text).mid(lineStart, lineEnd - lineStart);
        const qsizetype space = line.indexOf(u' ');
        table.set(index++, (space < 0 ? line : line.mid(space + 1)).toString());

        lineStart = lineEnd;
        if (lineStart < size && text[lineStart] == u'\r')
            ++lineStart;
        if (lineStart < size && text[lineStart] == u'\n')
            ++lineStart;
    }
    return table;
}

LanguageLoadResult loadLanguage(const QString &programFolder, const FileListing &listing,
                                Language &language)
{
    const QStringList names = listing.list(programFolder, QStringLiteral("*.lan"));
    if (names.isEmpty())
        return LanguageLoadResult::NoLanguageFile;

    const QString &name = names.first();
    language.SearchBaseAddress = searchBaseAddressFor(name);
    language.SearchPageSuffix = QStringLiteral("&start=0&sa=N");
    language.LanguageFilePath = joinPath(programFolder, name);

    // Read with a limit: a file linked to an endless device must not fill the memory.
    QFile file(language.LanguageFilePath);
    if (!file.open(QIODevice::ReadOnly))
        return LanguageLoadResult::CannotOpen;
    const QByteArray contents = file.read(MaxLanguageFileBytes + 1);
    if (contents.size() > MaxLanguageFileBytes)
        return LanguageLoadResult::CannotOpen;
    language.LanguageText = readLanguageText(contents);
    return LanguageLoadResult::Loaded;
}
