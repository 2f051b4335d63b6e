#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>

class FileListing;

// The 121 texts of the language file, by index; texts past the end of a short file are
// empty.
class LanguageText {
public:
    static constexpr int Count = 121;

    const QString &operator[](int index) const { return texts_.at(static_cast<size_t>(index)); }
    void set(int index, const QString &text) { texts_.at(static_cast<size_t>(index)) = text; }

private:
    std::array<QString, Count> texts_;
};

// What start-up learns from the language file.
struct Language {
    ::LanguageText LanguageText;
    QString SearchBaseAddress;
    QString SearchPageSuffix;
    QString LanguageFilePath;
};

// The first part of the image search address for a language file name, or empty for a name
// that is not one of the five.
QString searchBaseAddressFor(const QString &fileName);

// The two-letter language code of one of the five language file names, or empty.
QString languageCodeFor(const QString &fileName);

// The texts of a language file: one per line, each without everything up to and including
// the first space. Lines end with CR LF, a lone CR or a lone LF; lines past the 121st are
// ignored. UTF-8, or Latin-1 for a file that is not valid UTF-8.
LanguageText readLanguageText(const QByteArray &contents);

enum class LanguageLoadResult { Loaded, NoLanguageFile, CannotOpen };

// A language file larger than this counts as unreadable.
inline constexpr qint64 MaxLanguageFileBytes = 1024 * 1024;

// The file among names for the first of the user's languages (such as "de-DE" or "fr") that
// has one; else english.lan; else the first name.
QString languageFileFor(const QStringList &names, const QStringList &uiLanguages);

// Reads a "*.lan" file of the folder: without uiLanguages the first one of the listing (the
// program folder), with them the one languageFileFor() picks (the installed folder).
LanguageLoadResult loadLanguage(const QString &folder, const FileListing &listing,
                                Language &language, const QStringList &uiLanguages = {});

// The program's language: the first file beside the executable (the portable layout), else
// the installed program's file for the user's languages. installed tells which one was read.
struct ProgramLanguage {
    LanguageLoadResult result = LanguageLoadResult::NoLanguageFile;
    bool installed = false;
};
ProgramLanguage loadProgramLanguage(const QString &programFolder, const FileListing &listing,
                                    const QStringList &uiLanguages, Language &language);
