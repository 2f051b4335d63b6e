#pragma once

// How a command-line grab ended, as exit status, text lines and JSON.

#include <QByteArray>
#include <QString>

namespace ExitStatus {
inline constexpr int Done = 0;              // the grab finished, or stopped at its number range
inline constexpr int BadOptions = 1;        // an option is missing, unknown or malformed
inline constexpr int NetworkLost = 2;       // the network connection was lost
inline constexpr int FolderNotWritable = 3; // the picture folder cannot be created or written
inline constexpr int Interrupted = 130;     // Ctrl+C or a termination request stopped it
} // namespace ExitStatus

struct GrabResult {
    enum class Ending { Finished, Stopped, NetworkLost, Interrupted };
    Ending ending = Ending::Finished;
    qint32 pictures = 0;
    qint32 pages = 0;
    double seconds = 0;
    qint64 bytes = 0;       // body bytes of the completed downloads
    QString folder;         // the picture folder
    QString projectFile;    // where the search's project file lies
    bool resumable = false; // the project file exists: --resume can go on
    qint32 notWritten = 0;  // pictures the folder refused (not writable, disk full)
};

int exitStatusOf(const GrabResult &result);
// "ending: ...", "pictures: N", "pages: N", "seconds: S", each on a line.
QString resultText(const GrabResult &result);
// The same and the rest of the result as one JSON object on one line.
QByteArray resultJson(const GrabResult &result);

// What the progress line shows while a grab runs.
struct GrabProgress {
    qint32 pictures = 0;
    qint32 pages = 0;
    qint32 inFlight = 0;
    double bytesPerSecond = 0;
};
QString progressText(const GrabProgress &progress);
