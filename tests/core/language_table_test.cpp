#include "core/language_table.h"
#include "platform/file_listing.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

const QString English =
    QStringLiteral("https://www.google.com/images?hl=en&newwindow=1&safe=off&q=");
const QString German =
    QStringLiteral("https://www.google.com/images?hl=de&newwindow=1&safe=off&q=");
} // namespace

TEST(LanguageText, TextIsEverythingAfterTheFirstSpace)
{
    const LanguageText t = readLanguageText(
        "000 &OK\r\n001 two  spaces\r\nNoSpace\r\n\r\n004  lead \r\n005 tail  \r\n");
    EXPECT_EQ(t[0], QStringLiteral("&OK"));
    EXPECT_EQ(t[1], QStringLiteral("two  spaces"));
    EXPECT_EQ(t[2], QStringLiteral("NoSpace"));
    EXPECT_EQ(t[3], QString()) << "an empty line keeps its index";
    EXPECT_EQ(t[4], QStringLiteral(" lead ")) << "two spaces: the text begins with the second";
    EXPECT_EQ(t[5], QStringLiteral("tail  ")) << "blanks at the end stay";
    EXPECT_EQ(t[6], QString());
}

TEST(LanguageText, EveryKindOfLineEndSeparatesLines)
{
    for (const QByteArray &end : {QByteArray("\r\n"), QByteArray("\r"), QByteArray("\n")}) {
        const LanguageText t =
            readLanguageText("0 zero" + end + "1 one" + end + end + "3 three" + end);
        EXPECT_EQ(t[0], QStringLiteral("zero"));
        EXPECT_EQ(t[1], QStringLiteral("one"));
        EXPECT_EQ(t[2], QString());
        EXPECT_EQ(t[3], QStringLiteral("three"));
        EXPECT_EQ(t[4], QString());
    }
    const LanguageText mixed = readLanguageText("0 a\n1 b\r\n2 c\r3 d");
    EXPECT_EQ(mixed[3], QStringLiteral("d")) << "a last line without a line end counts";
    EXPECT_EQ(mixed[2], QStringLiteral("c"));
}

TEST(LanguageText, ShortFileLeavesTheRestEmptyAndLongFileIsCutAt121)
{
    QByteArray sixty;
    for (int i = 0; i < 60; ++i)
        sixty += "t" + QByteArray::number(i) + " text" + QByteArray::number(i) + "\r\n";
    const LanguageText shortTable = readLanguageText(sixty);
    EXPECT_EQ(shortTable[59], QStringLiteral("text59"));
    EXPECT_EQ(shortTable[60], QString());
    EXPECT_EQ(shortTable[120], QString());

    QByteArray tooLong;
    for (int i = 0; i < 130; ++i)
        tooLong += "x line" + QByteArray::number(i) + "\n";
    const LanguageText longTable = readLanguageText(tooLong);
    EXPECT_EQ(longTable[120], QStringLiteral("line120"));
}

TEST(LanguageText, ReadsUtf8AndFallsBackToLatin1)
{
    EXPECT_EQ(readLanguageText("0 Schlie\xc3\x9f"
                               "en\r\n")[0],
              QStringLiteral("Schließen"));
    EXPECT_EQ(readLanguageText("0 Schlie\xdf"
                               "en\r\n")[0],
              QStringLiteral("Schließen"));
}

TEST(LanguageFile, FileNameChoosesTheSearchAddressInAnyCase)
{
    EXPECT_EQ(searchBaseAddressFor(QStringLiteral("english.lan")), English);
    EXPECT_EQ(searchBaseAddressFor(QStringLiteral("German.LAN")), German);
    EXPECT_TRUE(searchBaseAddressFor(QStringLiteral("FRANCAIS.lan")).contains(u"hl=fr&"));
    EXPECT_TRUE(searchBaseAddressFor(QStringLiteral("italian.lan")).contains(u"hl=it&"));
    EXPECT_TRUE(searchBaseAddressFor(QStringLiteral("spanish.lan")).contains(u"hl=es&"));
    EXPECT_EQ(searchBaseAddressFor(QStringLiteral("klingon.lan")), QString());
}

TEST(LanguageFile, OnlyGermanFileInTheFolderIsReadAndChoosesGerman)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("German.LAN")), "000 &OK\r\n001 Hallo Welt\r\n");
    Language language;
    ASSERT_EQ(loadLanguage(dir.path(), DirFileListing(), language), LanguageLoadResult::Loaded);
    EXPECT_EQ(language.SearchBaseAddress, German);
    EXPECT_EQ(language.SearchPageSuffix, QStringLiteral("&start=0&sa=N"));
    EXPECT_EQ(language.LanguageFilePath, dir.path() + QStringLiteral("/German.LAN"));
    EXPECT_EQ(language.LanguageText[1], QStringLiteral("Hallo Welt"));
}

TEST(LanguageFile, OtherNameGivesTheTextsButNoSearchAddress)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("custom.lan")), "000 Fine\r\n");
    Language language;
    ASSERT_EQ(loadLanguage(dir.path() + u'/', DirFileListing(), language),
              LanguageLoadResult::Loaded);
    EXPECT_EQ(language.SearchBaseAddress, QString());
    EXPECT_EQ(language.LanguageText[0], QStringLiteral("Fine"));
    EXPECT_EQ(language.LanguageFilePath, dir.path() + QStringLiteral("/custom.lan"))
        << "no doubled separator when the folder ends with one";
}

TEST(LanguageFile, SeveralFilesTakeTheFirstByNameIgnoringCase)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("spanish.lan")), "000 Aceptar\r\n");
    writeFile(dir.filePath(QStringLiteral("Francais.lan")), "000 Valider\r\n");
    writeFile(dir.filePath(QStringLiteral("german.lan")), "000 OK\r\n");
    Language language;
    ASSERT_EQ(loadLanguage(dir.path(), DirFileListing(), language), LanguageLoadResult::Loaded);
    EXPECT_EQ(language.LanguageText[0], QStringLiteral("Valider"));
    EXPECT_TRUE(language.SearchBaseAddress.contains(u"hl=fr&"));
}

TEST(LanguageFile, EmptyFolderIsReported)
{
    QTemporaryDir dir;
    Language language;
    EXPECT_EQ(loadLanguage(dir.path(), DirFileListing(), language),
              LanguageLoadResult::NoLanguageFile);
}

TEST(LanguageFile, FileOverOneMebibyteOrEndlessCountsAsUnreadable)
{
    const struct {
        qint64 size; // -1: a link to an endless device
        LanguageLoadResult result;
    } cases[] = {
        {MaxLanguageFileBytes, LanguageLoadResult::Loaded},
        {MaxLanguageFileBytes + 1, LanguageLoadResult::CannotOpen},
        {-1, LanguageLoadResult::CannotOpen},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.size);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("english.lan"));
        if (c.size < 0) {
            ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path));
        } else {
            QByteArray bytes("000 Valider");
            bytes.append(c.size - bytes.size(), 'x');
            writeFile(path, bytes);
        }
        Language language;
        EXPECT_EQ(loadLanguage(dir.path(), DirFileListing(), language), c.result);
        if (c.result == LanguageLoadResult::Loaded) {
            EXPECT_TRUE(language.LanguageText[0].startsWith(u"Validerxx"));
        }
    }
}

TEST(LanguageFile, InstalledFolderPicksTheFileOfTheUsersLanguage)
{
    const QStringList all{QStringLiteral("english.lan"), QStringLiteral("francais.lan"),
                          QStringLiteral("German.lan"), QStringLiteral("italian.lan"),
                          QStringLiteral("spanish.lan")};
    const QStringList noEnglish{QStringLiteral("italian.lan"), QStringLiteral("spanish.lan")};
    const struct {
        QStringList names;
        QStringList uiLanguages;
        const char *chosen;
    } cases[] = {
        {all, {QStringLiteral("de-DE")}, "German.lan"},
        {all, {QStringLiteral("fr_CA")}, "francais.lan"},
        {all, {QStringLiteral("ES")}, "spanish.lan"},
        {all, {QStringLiteral("it")}, "italian.lan"},
        {all, {QStringLiteral("pt-BR"), QStringLiteral("it-IT")}, "italian.lan"},
        {all, {QStringLiteral("ja-JP")}, "english.lan"},
        {all, {QStringLiteral("C")}, "english.lan"},
        {all, {QStringLiteral("den-DK")}, "english.lan"},
        {noEnglish, {QStringLiteral("de-DE")}, "italian.lan"},
        {noEnglish, {QStringLiteral("es-MX")}, "spanish.lan"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(languageFileFor(c.names, c.uiLanguages), QString::fromLatin1(c.chosen))
            << c.uiLanguages.join(u',').toStdString();
}

// The delivered files: complete, with the line ends and the fixed texts every program
// part relies on.
TEST(DeliveredLanguageFiles, AreCompleteAndWellFormed)
{
    const QString folder = QStringLiteral(ZOVARODE_LANG_DIR);
    const QStringList names = DirFileListing().list(folder, QStringLiteral("*.lan"));
    ASSERT_EQ(names, (QStringList{QStringLiteral("english.lan"), QStringLiteral("francais.lan"),
                                  QStringLiteral("german.lan"), QStringLiteral("italian.lan"),
                                  QStringLiteral("spanish.lan")}));
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        QFile file(folder + u'/' + name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(bytes.count("\r\n"), LanguageText::Count);
        EXPECT_EQ(bytes.count('\n'), LanguageText::Count) << "every line ends in CR LF";
        EXPECT_FALSE(searchBaseAddressFor(name).isEmpty());

        const LanguageText t = readLanguageText(bytes);
        EXPECT_EQ(t[6], QStringLiteral("https://www.zovarode.example/"));
        for (int i = 0; i < LanguageText::Count; ++i)
            EXPECT_FALSE(t[i].trimmed().isEmpty()) << "text " << i;
        for (int menu : {52, 53, 54, 55, 0})
            EXPECT_TRUE(t[menu].contains(u'&')) << "access key in text " << menu;
    }
}
