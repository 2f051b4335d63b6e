// Renders the windows in the language of the one language file beside this executable, so
// that they can be checked by eye for cut texts: window_shots OUTPUT_FOLDER. Run it under a
// real X server (Xvfb), so that the pointer can rest on the about window's link.

#include "core/app_state.h"
#include "core/text_ids.h"
#include "imaging/thumbnails.h"
#include "mainwin/frm_resource.h"
#include "mainwin/main_window_host.h"
#include "mainwin/panel_values.h"
#include "platform/event_pump.h"
#include "platform/file_listing.h"
#include "platform/folder_picker.h"
#include "platform/message_boxes.h"
#include "platform/settings_backend.h"
#include "platform/url_opener.h"
#include "shell/about_window.h"
#include "shell/link_label.h"
#include "shell/qt_translations.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTime>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {
class SilentMessages final : public MessageBoxes {
public:
    void showMessage(const QString &, Icon) override {}
    bool askYesNo(const QString &, Icon) override { return false; }
};

class NoFolder final : public FolderPicker {
public:
    QString BrowseForFolder(QWidget *, const QString &) override { return {}; }
};

class IdleHost final : public MainWindowHost {
public:
    void showHelp() override {}
    bool thumbRefreshEnabled() const override { return true; }
    void setThumbRefreshEnabled(bool) override {}
    void startGrabTimers() override {}
    void cancelGrabStart() override {}
    FolderListing &folderListing() override { return listing; }
    ThumbnailCache &thumbnails() override { return cache; }
    EventPump &events() override { return pump; }
    PicturePreview *viewer() override { return nullptr; }

    DirFileListing dirListing;
    FolderListing listing{dirListing};
    ThumbnailCache cache;
    QtEventPump pump;
};

class NoUrls final : public UrlOpener {
public:
    void open(const QString &) override {}
};

void settle(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool save(const QPixmap &shot, const QString &path)
{
    const bool saved = shot.save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    return saved;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_shots OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir scratch;
    IniSettingsBackend backend(scratch.filePath(QStringLiteral("settings.ini")));
    AppState state(QCoreApplication::applicationDirPath(), backend);
    DirFileListing listing;
    if (loadLanguage(state.programFolder, listing, state.language) != LanguageLoadResult::Loaded) {
        std::fprintf(stderr, "no language file beside the executable\n");
        return 1;
    }
    const QString fileName = QFileInfo(state.language.LanguageFilePath).fileName();
    const QtTranslations qtTexts(fileName);
    std::printf("language file %s, Qt translations %s\n", qPrintable(fileName),
                qtTexts.installed() ? "installed" : "none");
    const QString tag = QFileInfo(fileName).completeBaseName().toLower();
    const LanguageText &texts = state.language.LanguageText;

    state.settings = state.store.WriteDefaultSettings();
    state.files.ListedFolder = state.settings.Download_File_Folder;
    state.status.MainWindowOpen = true;
    state.grab.PicturesSaved = 12345;
    state.grab.PagesCounted = 23456;

    SilentMessages messages;
    NoFolder folders;
    IdleHost host;
    PanelValues values;
    frmResource window(state, values, messages, folders, host);
    window.Form_Load();
    state.status.showStatus(1, texts[TextId::GrabEnded] + u' ' +
                                   QLocale().toString(QTime(23, 59), QLocale::ShortFormat));
    state.status.showStatus(4, QStringLiteral("99999 Kbps"));
    window.lblThumbViewPage->setText(QStringLiteral("2469/2469"));
    window.lblThumbViewPage->adjustSize();
    for (QPushButton *button :
         {window.cmdFirst, window.cmdBackward, window.cmdForward, window.cmdLast})
        button->setEnabled(true);
    window.resize(frmResource::ClientWidth, frmResource::ClientHeight);
    settle(300);
    for (int panel = 1; panel <= 4; ++panel) {
        const QLabel *label = window.statusPanel(panel);
        std::printf("panel %d: x %d width %d, text %d of room %d\n", panel, label->x(),
                    label->width(), label->fontMetrics().horizontalAdvance(label->text()),
                    label->contentsRect().width() - std::max(0, label->indent()));
    }
    const QPixmap main = window.grab();
    save(main, out.filePath(tag + QStringLiteral("_main.png")));
    const QRect row(window.cmdFirst->x() - 8, window.cmdFirst->y() - 6,
                    window.cmdLast->geometry().right() - window.cmdFirst->x() + 17, 29);
    save(main.copy(row).scaled(row.size() * 3), out.filePath(tag + QStringLiteral("_paging.png")));
    window.resize(900, 620);
    settle(300);
    save(window.grab(), out.filePath(tag + QStringLiteral("_main_wide.png")));
    window.hide();

    NoUrls urls;
    frmAbout about(texts, urls);
    about.show();
    settle(300);
    QCursor::setPos(about.lblWebPage->mapToGlobal(about.lblWebPage->rect().center()));
    settle(300);
    std::printf("about link under the pointer: %s\n",
                about.lblWebPage->underlined() ? "yes" : "no");
    save(about.grab(), out.filePath(tag + QStringLiteral("_about_hover.png")));
    about.hide();

    QTimer::singleShot(1000, [&out, &tag] {
        QWidget *picker = QApplication::activeModalWidget();
        if (!picker) {
            std::printf("FAILED no folder picker\n");
            return;
        }
        save(picker->grab(), out.filePath(tag + QStringLiteral("_picker.png")));
        picker->close();
    });
    FileDialogFolderPicker().BrowseForFolder(nullptr, state.programFolder);
    return 0;
}
