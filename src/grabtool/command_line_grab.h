#pragma once

// One grab without a window: the program's own engine, driver, parsers and picture store,
// run with the options of the command line. The resume question is answered by --resume.

#include "grabtool/grab_options.h"
#include "grabtool/grab_result.h"

#include <QElapsedTimer>

#include <memory>

class DownloadService;
class EventPump;
class NetworkState;
struct Timings;

class CommandLineGrab {
public:
    // projectFolder holds the search's project file; searchBase is the image search address
    // for a keyword when the options name none.
    CommandLineGrab(const GrabOptions &options, const QString &projectFolder,
                    const QString &searchBase, DownloadService &downloads,
                    const NetworkState &network, EventPump &events, const Timings &timings);
    ~CommandLineGrab();

    // Creates the picture folder when missing; false when it cannot be created or written.
    static bool preparePictureFolder(const QString &folder);

    // Runs the whole grab and returns how it ended.
    GrabResult run();
    // Stops the running grab as the Stop button does: the project file is written.
    void interrupt();
    // The figures of the running grab; the speed is taken over the time since the last call.
    GrabProgress progress();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
    bool interrupted_ = false;
    qint64 bytes_ = 0;
    qint64 bytesAtLastProgress_ = 0;
    QElapsedTimer sinceLastProgress_;
};
