#pragma once

// Where the program keeps what it writes. A program that runs from a folder of its own (the
// portable layout: its language file lies beside the executable) keeps its pictures and
// project files there, as long as it may write there. An installed program, whose language
// files lie in ../share/zovarode/lang, and a program folder that cannot be written use the
// user's folders instead.

#include <QString>

// The user's own folders, as the desktop names them.
struct UserFolders {
    QString pictures; // the user's picture folder
    QString data;     // where programs keep the user's data

    static UserFolders ofCurrentUser();
};

struct DataPlaces {
    QString projectFolder;        // the project files of the searches
    QString defaultPictureFolder; // the picture folder of a first run
};

// The language files of an installed program, relative to its executable.
QString installedLanguageFolder(const QString &programFolder);

// installed: the language file came from installedLanguageFolder().
DataPlaces dataPlaces(const QString &programFolder, bool installed, const UserFolders &user);
