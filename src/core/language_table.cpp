#include "core/language_table.h"

#include "core/program_places.h"
#include "core/text_forms.h"
#include "platform/file_listing.h"

#include <QFile>

namespace {
const QString SearchHost = QStringLiteral("https://www.google.com");

struct SearchLanguage {
    const char16_t *fileName;
    const char16_t *pathAndQuery;
    const char16_t *code; // the language's ISO 639-1 code
};

constexpr SearchLanguage searchLanguages[] = {
    {u"english.lan", u"/images?hl=en&newwindow=1&safe=off&q=", u"en"},
    {u"francais.lan", u"/images?hl=fr&newwindow=1&safe=off&q=", u"fr"},
    {u"german.lan", u"/images?hl=de&newwindow=1&safe=off&q=", u"de"},
    {u"italian.lan", u"/images?hl=it&newwindow=1&safe=off&q=", u"it"},
    {u"spanish.lan", u"/images?hl=es&newwindow=1&safe=off&q=", u"es"},
};

// The name in names that equals wanted without regard to case, or empty.
QString findName(const QStringList &names, QStringView wanted)
{
    for (const QString &name : names) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return name;
    }
    return {};
}

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

QString languageFileFor(const QStringList &names, const QStringList &uiLanguages)
{
    for (const QString &uiLanguage : uiLanguages) {
        const QString code = QString(uiLanguage).replace(u'_', u'-').section(u'-', 0, 0);
        for (const SearchLanguage &language : searchLanguages) {
            if (code.compare(QString::fromUtf16(language.code), Qt::CaseInsensitive) != 0)
                continue;
            if (const QString name = findName(names, language.fileName); !name.isEmpty())
                return name;
        }
    }
    if (const QString english = findName(names, u"english.lan"); !english.isEmpty())
        return english;
    return names.value(0);
}

LanguageLoadResult loadLanguage(const QString &folder, const FileListing &listing,
                                Language &language, const QStringList &uiLanguages)
{
    const QStringList names = listing.list(folder, QStringLiteral("*.lan"));
    if (names.isEmpty())
        return LanguageLoadResult::NoLanguageFile;

    const QString name =
        uiLanguages.isEmpty() ? names.first() : languageFileFor(names, uiLanguages);
    language.SearchBaseAddress = searchBaseAddressFor(name);
    language.SearchPageSuffix = QStringLiteral("&start=0&sa=N");
    language.LanguageFilePath = joinPath(folder, name);

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

ProgramLanguage loadProgramLanguage(const QString &programFolder, const FileListing &listing,
                                    const QStringList &uiLanguages, Language &language)
{
    const LanguageLoadResult beside = loadLanguage(programFolder, listing, language);
    if (beside != LanguageLoadResult::NoLanguageFile)
        return {beside, false};
    const LanguageLoadResult installed =
        loadLanguage(installedLanguageFolder(programFolder), listing, language, uiLanguages);
    if (installed != LanguageLoadResult::NoLanguageFile)
        return {installed, true};
    return {};
}
