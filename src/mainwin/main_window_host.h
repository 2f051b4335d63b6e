#pragma once

class EventPump;
class FolderListing;
class PicturePreview;
class ThumbnailCache;

// What the main window asks of the hidden main window that owns the grab's timers.
class MainWindowHost {
public:
    virtual ~MainWindowHost() = default;
    // Shows the help window and returns when it is closed.
    virtual void showHelp() = 0;
    // False while a thumbnail page is being rebuilt; commands that use the file list wait.
    virtual bool thumbRefreshEnabled() const = 0;
    // Holds the thumbnail refresh off while a command rebuilds the strip, and lets it run again.
    virtual void setThumbRefreshEnabled(bool enabled) = 0;
    // Starts the thumbnail refresh and, after its short delay, the grabbing driver.
    virtual void startGrabTimers() = 0;
    // Drops a driver start that is still waiting for its timer.
    virtual void cancelGrabStart() = 0;

    // What the thumbnail strip works with: the listing of the picture folder, the thumbnails
    // decoded so far, the pump it yields through while a page is built, and the viewer (null
    // when the program has none).
    virtual FolderListing &folderListing() = 0;
    virtual ThumbnailCache &thumbnails() = 0;
    virtual EventPump &events() = 0;
    virtual PicturePreview *viewer() = 0;
};
