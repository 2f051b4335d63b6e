#include "core/language_table.h"
#include "core/program_places.h"
#include "platform/file_listing.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(LanguageFile, LinesEndAnyWayTheFileBesideTheProgramComesFirstThenTheUsersLanguage)
{
    QByteArray tooMany = "0 &OK\r\n1 two  spaces\rNoSpace\n\r\n4  lead \r\n5 Schlie\xdf"
                         "en  \n";
    for (int i = 6; i <= LanguageText::Count; ++i)
        tooMany += "x " + QByteArray::number(i) + '\n';
    const LanguageText t = readLanguageText(tooMany);
    const QStringList expected{u"&OK"_s,    u"two  spaces"_s, u"NoSpace"_s, QString(),
                               u" lead "_s, u"Schließen  "_s, u"6"_s};
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(t[i], expected[i]) << i;
    EXPECT_EQ(t[LanguageText::Count - 1], u"120"_s);

    // The file beside the program comes first, then the installed one of the user's language.
    const QStringList all{u"english.lan"_s, u"francais.lan"_s, u"German.LAN"_s, u"italian.lan"_s};
    for (const auto &[names, uiLanguages, chosen] :
         {std::tuple{all, QStringList{u"fr_CA"_s}, u"francais.lan"_s},
          {all, {u"pt-BR"_s, u"IT"_s}, u"italian.lan"_s},
          {all, {u"den-DK"_s}, u"english.lan"_s},
          {{u"italian.lan"_s, u"spanish.lan"_s}, {u"de"_s}, u"italian.lan"_s}})
        EXPECT_EQ(languageFileFor(names, uiLanguages), chosen);
    QTemporaryDir dir;
    const QString bin = dir.filePath(u"bin"_s), installed = installedLanguageFolder(bin);
    const auto write = [](const QString &path, const QByteArray &bytes) {
        QFile file(path);
        return QDir().mkpath(path.section(u'/', 0, -2)) && file.open(QIODevice::WriteOnly) &&
               file.write(bytes) == bytes.size();
    };
    ASSERT_TRUE(write(installed + u"/german.lan"_s, "0 de") &&
                write(installed + u"/italian.lan"_s, "0 it"));
    Language language;
    EXPECT_TRUE(loadProgramLanguage(bin, DirFileListing(), {u"it"_s}, language).installed);
    EXPECT_EQ(language.LanguageText[0], u"it"_s);
    ASSERT_TRUE(write(bin + u"/Spanish.lan"_s, "0 es") &&
                write(bin + u"/german.LAN"_s, "0 x\n1 de"));
    EXPECT_FALSE(loadProgramLanguage(bin + u'/', DirFileListing(), {u"it"_s}, language).installed);
    EXPECT_EQ(language.LanguageText[1], u"de"_s);
    EXPECT_TRUE(language.SearchBaseAddress.contains(u"?hl=de&"_s));
    EXPECT_EQ(language.LanguageFilePath, bin + u"/german.LAN"_s);
    for (const qint64 size : {MaxLanguageFileBytes, MaxLanguageFileBytes + 1}) {
        ASSERT_TRUE(write(bin + u"/german.LAN"_s, QByteArray(size, 'x')));
        EXPECT_EQ(loadLanguage(bin, DirFileListing(), language) == LanguageLoadResult::Loaded,
                  size == MaxLanguageFileBytes);
    }
    EXPECT_EQ(loadProgramLanguage(dir.path(), DirFileListing(), {}, language).result,
              LanguageLoadResult::NoLanguageFile);
}
