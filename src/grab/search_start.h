#pragma once

#include <QString>

class GrabState;
struct Settings;

// Where a new search starts: its mode, its normalised text, its site root, its project file
// and its first address.
struct SearchStart {
    bool KeywordSearchMode = true;
    QString SearchText;      // the keyword as typed, or the normalised website address
    QString SiteRoot;        // website mode only
    QString ProjectFilePath; // in the project folder
    QString StartAddress;
};

// A text that contains a "." or starts with "http://" or "https://" is a website address;
// anything else is a keyword for the image search.
SearchStart startOfSearch(const QString &searchText, const QString &projectFolder,
                          const QString &searchBaseAddress, const QString &searchPageSuffix);

// A file name that stays inside its folder: "/", "\" and control characters become "_".
QString safeFileName(QString name);

// Prepares the grab state for a new search: its mode, site root or result-page flag, project
// file, and the lists emptied and seeded with the start address.
void prepareGrab(GrabState &grab, const SearchStart &start, const Settings &settings);
