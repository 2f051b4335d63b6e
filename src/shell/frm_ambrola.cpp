#include "shell/frm_ambrola.h"

#include "core/app_state.h"
#include "core/text_ids.h"
#include "crawl/parse_web.h"
#include "grab/grab_driver.h"
#include "mainwin/frm_resource.h"
#include "mainwin/ocx_resource.h"
#include "mainwin/thumb_view.h"
#include "netmeter/ip_helper.h"
#include "netmeter/traffic_meter.h"
#include "platform/download_service.h"
#include "platform/folder_picker.h"
#include "platform/interface_table.h"
#include "platform/message_boxes.h"
#include "platform/process_control.h"
#include "platform/tray_icon.h"
#include "shell/about_window.h"
#include "shell/app_icon.h"
#include "shell/help_window.h"
#include "shell/upgrade_dialog.h"
#include "viewer/frm_sized_preview.h"

#include <QFileInfo>
#include <QMenu>

#include <optional>
#include <utility>

frmAmbrola::frmAmbrola(AppState &state, ShellServices &services)
    : mnuPopup(new QMenu(QStringLiteral("SysTray Popup Menu"))),
      mnuGrabbing(mnuPopup->addAction(QStringLiteral("&Picture Grabbing"))),
      Sep2(mnuPopup->addSeparator()), mnuHelp(mnuPopup->addAction(QStringLiteral("&Help"))),
      mnuAbout(mnuPopup->addAction(QStringLiteral("A&bout..."))),
      mnuExit(mnuPopup->addAction(QStringLiteral("E&xit"))), state_(state),
      services_(services), context_{state.settings, state.grab, state.status,
                                    state.language.LanguageText, events_},
      folderPicker_(std::make_unique<FileDialogFolderPicker>())
{
    DownloadLimits limits;
    limits.idleTimeoutMs = state.timings.TransferIdleMs;
    limits.totalTimeoutMs = state.timings.TransferTotalMs;
    limits.connectionsPerHost = state.settings.Connections_Per_Host;
    downloads_ = std::make_unique<NetworkDownloadService>(limits);
    ocxParseWeb_ = std::make_unique<ocxParseWeb>(context_, *downloads_, this);
    driver_ =
        std::make_unique<GrabDriver>(context_, *ocxParseWeb_, services.messages, services.network,
                                     state.timings, tmrRefreshThumbView, UpgradePageAddress);
    ocxParseWeb_->ResetDeadTime = [this] { driver_->ResetDeadTime(); };

    interfaceTable_ = std::make_unique<KernelInterfaceTable>();
    IpStats = std::make_unique<CIpHelper>(*interfaceTable_, services.messages,
                                          state.language.LanguageText);
    meter_ = std::make_unique<TrafficMeter>(*IpStats, state.status);
    preview_ =
        std::make_unique<frmSizedPreview>(state, tmrRefreshThumbView, events_, listing_, trash_);

    connect(mnuGrabbing, &QAction::triggered, this, &frmAmbrola::mnuGrabbing_Click);
    connect(mnuHelp, &QAction::triggered, this, &frmAmbrola::mnuHelp_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmAmbrola::mnuAbout_Click);
    connect(mnuExit, &QAction::triggered, this, &frmAmbrola::mnuExit_Click);

    const Timings &t = state_.timings;
    const std::pair<QTimer *, int> timers[] = {
        {&tmrGrabbing, t.GrabbingMs},
        {&tmrAlarm, t.AlarmMs},
        {&tmrRefreshThumbView, t.RefreshThumbViewMs},
        {&tmrFlux, t.FluxMs},
    };
    for (const auto &[timer, interval] : timers)
        timer->setInterval(interval);
    connect(&tmrGrabbing, &QTimer::timeout, this, &frmAmbrola::tmrGrabbing_Timer);
    connect(&tmrAlarm, &QTimer::timeout, this, &frmAmbrola::tmrAlarm_Timer);
    connect(&tmrRefreshThumbView, &QTimer::timeout, this, &frmAmbrola::tmrRefreshThumbView_Timer);
    // A new picture reaches the strip as soon as the listing that found it is done, not a tick
    // later; while the refresh is held off, the next tick shows it.
    connect(&folderListing_, &FolderListing::changed, this, [this] {
        if (tmrRefreshThumbView.isActive())
            tmrRefreshThumbView_Timer();
    });
    connect(&tmrFlux, &QTimer::timeout, this, &frmAmbrola::tmrFlux_Timer);
    tmrRefreshThumbView.start();
    tmrFlux.start();
}

frmAmbrola::~frmAmbrola()
{
    // The engine cancels what is in flight while the service still exists.
    driver_.reset();
    ocxParseWeb_.reset();
    if (mainWindow_)
        delete mainWindow_.data();
    preview_.reset();
    delete mnuPopup;
}

void frmAmbrola::Form_Load()
{
    const LanguageText &texts = state_.language.LanguageText;
    mnuGrabbing->setText(texts[TextId::TrayGrabbing]);
    mnuHelp->setText(texts[TextId::TrayHelp]);
    mnuAbout->setText(texts[TextId::TrayAbout]);
    mnuExit->setText(texts[TextId::TrayExit]);

    if (services_.tray.isAvailable())
        services_.tray.add(appIcon(), mnuPopup);
    else
        withoutTray_ = true;

    tmrAlarm.start();
    state_.grab.KeywordSearchMode = true;

    // Without a notification area the program could be neither reached nor ended.
    if (withoutTray_)
        mnuGrabbing_Click();
}

void frmAmbrola::mnuGrabbing_Click()
{
    state_.status.MainWindowOpen = true;
    mnuGrabbing->setEnabled(false);
    if (!mainWindow_) {
        mainWindow_ =
            new frmResource(state_, panelValues_, services_.messages, *folderPicker_, *this);
        connect(mainWindow_, &frmResource::cmdExitClicked, this, &frmAmbrola::mainWindow_cmdExit);
        mainWindow_->Form_Load();
    }
    mainWindow_->show();
    mainWindow_->raise();
    mainWindow_->activateWindow();
}

void frmAmbrola::mainWindow_cmdExit()
{
    if (withoutTray_) {
        mnuExit_Click();
        return;
    }
    state_.status.MainWindowOpen = false;
    mnuGrabbing->setEnabled(true);
    state_.store.SaveResourceSetting(state_.settings);
    if (mainWindow_)
        mainWindow_->unload();
    mainWindow_ = nullptr;
}

void frmAmbrola::mnuHelp_Click()
{
    frmHelp help(state_.language.LanguageText, services_.urls);
    help.exec();
}

void frmAmbrola::showHelp()
{
    mnuHelp_Click();
}

bool frmAmbrola::thumbRefreshEnabled() const
{
    return tmrRefreshThumbView.isActive();
}

void frmAmbrola::setThumbRefreshEnabled(bool enabled)
{
    if (enabled)
        tmrRefreshThumbView.start();
    else
        tmrRefreshThumbView.stop();
}

void frmAmbrola::startGrabTimers()
{
    tmrRefreshThumbView.start();
    tmrGrabbing.start();
}

void frmAmbrola::cancelGrabStart()
{
    tmrGrabbing.stop();
}

void frmAmbrola::mnuAbout_Click()
{
    frmAbout about(state_.language.LanguageText, services_.urls);
    about.exec();
}

void frmAmbrola::mnuExit_Click()
{
    state_.grab.StopRequested = true;
    if (!withoutTray_)
        services_.tray.remove();
    if (state_.status.MainWindowOpen && mainWindow_) {
        mainWindow_->unload();
        mainWindow_ = nullptr;
    }
    services_.process.endProcess(0);
}

void frmAmbrola::offerUpgrade()
{
    // The page is read once per run; the window is offered once at most.
    if (upgradeOffered_)
        return;
    upgradeOffered_ = true;
    auto *dialog = new frmDialog(state_.programFolder, services_.process);
    dialog->show();
}

void frmAmbrola::tmrGrabbing_Timer()
{
    tmrGrabbing.stop();
    driver_->RunGrabbing();
}

void frmAmbrola::tmrAlarm_Timer()
{
    driver_->tmrAlarm_Timer();
}

// Rebuilds the open main window's strip from the folder's last listing, and has the folder
// listed again in the background when it changed. The timer stays off meanwhile: the commands
// that use the file list wait for it.
void frmAmbrola::tmrRefreshThumbView_Timer()
{
    tmrRefreshThumbView.stop();
    tmrRefreshThumbView.setInterval(state_.timings.RefreshThumbViewMs);
    PictureFiles &files = state_.files;
    Settings &settings = state_.settings;
    if (QFileInfo(settings.Download_File_Folder).isDir()) {
        const QString folder = settings.Download_File_Folder;
        const QString pattern = PictureFiles::pattern();
        std::optional<QStringList> names = folderListing_.latest(folder, pattern);
        // A folder not listed before is waited for: the old names belong to another folder.
        if (!names)
            names = folderListing_.current(folder, pattern, events_);
        files.assign(folder, std::move(*names));
        clampThumbPage(files, events_);
        if (state_.status.MainWindowOpen && mainWindow_)
            mainWindow_->ThumbView_Load();
        if (files.ImageFileCount == 0 && files.PreviewOpen && preview_)
            preview_->unload();
    } else {
        services_.messages.showMessage(state_.language.LanguageText[TextId::FolderMissingMessage],
                                       MessageBoxes::Icon::Exclamation);
        settings.Download_File_Folder = state_.projectFolder;
        files.ListedFolder = state_.projectFolder;
        if (state_.status.MainWindowOpen && mainWindow_)
            mainWindow_->panel().ChangeFileFolder(state_.projectFolder);
    }
    tmrRefreshThumbView.start();
}

void frmAmbrola::tmrFlux_Timer()
{
    meter_->Tick();
}

PicturePreview *frmAmbrola::viewer()
{
    return preview_.get();
}
