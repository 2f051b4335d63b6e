#pragma once

#include "crawl/crawl_context.h"
#include "crawl/version_check.h"
#include "imaging/thumbnails.h"
#include "mainwin/frm_resource.h"
#include "mainwin/main_window_host.h"
#include "mainwin/panel_values.h"
#include "mainwin/thumb_view.h"
#include "platform/event_pump.h"
#include "platform/file_listing.h"
#include "platform/trash.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

struct AppState;
class CIpHelper;
class FolderPicker;
class GrabDriver;
class KernelInterfaceTable;
class MessageBoxes;
class NetworkDownloadService;
class NetworkState;
class ProcessControl;
class ocxParseWeb;
class QAction;
class QMenu;
class TrafficMeter;
class TrayIcon;
class UrlOpener;
class frmSizedPreview;

// The platform services that the hidden main window works through.
struct ShellServices {
    TrayIcon &tray;
    MessageBoxes &messages;
    UrlOpener &urls;
    ProcessControl &process;
    const NetworkState &network;
};

// The hidden main window: never shown, it owns the tray icon and its menu, the timers of a
// grab, the download engine and the grabbing driver, and the main window, and ends the
// program.
class frmAmbrola : public QObject, public UpgradeOffer, public MainWindowHost {
    Q_OBJECT

public:
    frmAmbrola(AppState &state, ShellServices &services);
    ~frmAmbrola() override;

    // Sets the menu captions, adds the tray icon and starts tmrAlarm. Throws when a step
    // fails. Where the desktop has no notification area, the main window opens at once.
    void Form_Load();

    QMenu *mnuPopup;
    QAction *mnuGrabbing;
    QAction *Sep2;
    QAction *mnuHelp;
    QAction *mnuAbout;
    QAction *mnuExit;

    QTimer tmrGrabbing;
    QTimer tmrAlarm;
    QTimer tmrRefreshThumbView;
    QTimer tmrFlux;

    void mnuGrabbing_Click();
    void mnuHelp_Click();
    void mnuAbout_Click();
    void mnuExit_Click();

    // Offers a newer version in a window that does not block.
    void offerUpgrade() override;

    // What the main window asks of its host.
    void showHelp() override;
    bool thumbRefreshEnabled() const override;
    void setThumbRefreshEnabled(bool enabled) override;
    void startGrabTimers() override;
    void cancelGrabStart() override;
    FolderListing &folderListing() override { return folderListing_; }
    ThumbnailCache &thumbnails() override { return thumbnails_; }
    EventPump &events() override { return events_; }
    PicturePreview *viewer() override;

    ocxParseWeb &engine() { return *ocxParseWeb_; }
    GrabDriver &driver() { return *driver_; }

    // The picture viewer, one per process; hidden until a thumbnail opens it.
    frmSizedPreview &preview() { return *preview_; }

    // The open main window, or null.
    frmResource *mainWindow() const { return mainWindow_; }
    // True when there is no notification area and the main window stands in for it.
    bool withoutTray() const { return withoutTray_; }

private:
    void mainWindow_cmdExit();
    void tmrGrabbing_Timer();
    void tmrAlarm_Timer();
    void tmrRefreshThumbView_Timer();
    void tmrFlux_Timer();

    AppState &state_;
    ShellServices &services_;
    QtEventPump events_;
    CrawlContext context_;
    std::unique_ptr<NetworkDownloadService> downloads_;
    std::unique_ptr<ocxParseWeb> ocxParseWeb_;
    std::unique_ptr<GrabDriver> driver_;
    bool upgradeOffered_ = false;
    std::unique_ptr<FolderPicker> folderPicker_;
    PanelValues panelValues_;
    QPointer<frmResource> mainWindow_;
    DirFileListing listing_;
    DesktopTrash trash_;
    std::unique_ptr<frmSizedPreview> preview_;
    bool withoutTray_ = false;
    FolderListing folderListing_{listing_};
    // One decoder per slot of a page: on fewer cores the last ones share the cores rather than
    // wait for a free one.
    ThumbnailCache thumbnails_{ThumbnailCache::DefaultCapacity, ThumbsPerPage};

    std::unique_ptr<KernelInterfaceTable> interfaceTable_;
    std::unique_ptr<CIpHelper> IpStats;
    std::unique_ptr<TrafficMeter> meter_;
};
