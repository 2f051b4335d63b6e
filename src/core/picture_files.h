#pragma once

#include <QString>
#include <QStringList>

class FileListing;

// The file list flbThumbView of the picture folder and what the thumbnail view and the viewer
// share about it. One object per process, owned by AppState.
struct PictureFiles {
    static constexpr const char *Pattern = "*.jpeg;*.jpg;*.bmp;*.gif;*.png";
    static QString pattern() { return QString::fromLatin1(Pattern); }

    QString ListedFolder; // the folder the list points at
    QStringList entries;  // file names without folder, sorted by name ignoring case
    qint16 ImageFileCount = 0;
    qint16 ThumbPage = 0; // 1-based; 0 when there is no picture
    qint16 CurrentImageIndex = 0;
    bool PreviewOpen = false;

    // Points the list at folder, reads it again and sets ImageFileCount to its entry count.
    void refresh(const FileListing &listing, const QString &folder);
    // Points the list at folder with names as a listing of it found them.
    void assign(const QString &folder, QStringList names);
    // Full path of entry index (folder and name joined with "/"); empty when out of range.
    QString path(int index) const;
};

// The viewer as the thumbnail view and the main window reach it. Implemented by the viewer
// window; the hidden main window hands it to whoever opens or closes the viewer.
class PicturePreview {
public:
    virtual ~PicturePreview() = default;
    // Shows the viewer (running its form load the first time), loads the picture at
    // CurrentImageIndex with mode 0 and brings it to the front.
    virtual void showCurrent() = 0;
    // Unloads the viewer when it is open.
    virtual void unload() = 0;
};
