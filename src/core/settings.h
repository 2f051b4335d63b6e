#pragma once

#include <QString>
#include <QStringList>

// The stored settings, one field per stored value, named as the value.
struct Settings {
    bool GIF_Download = true;
    bool JPG_Download = true;
    bool JPEG_Download = true;
    bool BMP_Download = true;
    bool PNG_Download = true;
    bool Limited_Images_Resolution = false;
    bool Limited_Images_Size = false;
    bool StayOnSameSite = false;
    qint16 Images_Width = 100;
    qint16 Images_Height = 100;
    qint32 Images_File_Size = 10; // kilobytes of 1024 bytes
    qint32 FileFromNum = 1;
    qint32 FileToNum = 50;
    bool FileOverwrite = true;
    qint16 Images_Display_Mode = 1; // 1 fit to the window, 0 full size

    QString Download_File_Name = QStringLiteral("Catch");
    QString Download_File_Folder;
    qint16 NeverUpgrade = 0;
    // Downloads that run at once on one host; a stored value outside 1 to 16 takes the default.
    qint16 Connections_Per_Host = 6;

    bool operator==(const Settings &) const = default;
};

// The range of Connections_Per_Host.
inline constexpr qint16 MostConnectionsPerHost = 16;

// The search history, newest first: index 0 is stored as Project1.
using ProjectList = QStringList;
