// Renders the windows in the language of the one language file beside this executable, so
// that they can be checked by eye for cut texts: window_shots OUTPUT_FOLDER. Run it under a
// real X server (Xvfb), so that the pointer can rest on the about window's link.

#include "main_window_rig.h"

#include "core/text_ids.h"
#include "shell/about_window.h"
#include "shell/link_label.h"
#include "shell/qt_translations.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QTime>

#include <cstdio>

namespace {
void settle()
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void save(const QPixmap &shot, const QDir &out, const QString &name)
{
    const QString path = out.filePath(name + QStringLiteral(".png"));
    std::printf("%s %s\n", shot.save(path) ? "wrote" : "FAILED", qPrintable(path));
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
    MainWindowRig rig(QCoreApplication::applicationDirPath());
    AppState &state = rig.state;
    if (loadLanguage(state.programFolder, rig.host.dirListing, state.language) !=
        LanguageLoadResult::Loaded) {
        std::fprintf(stderr, "no language file beside the executable\n");
        return 1;
    }
    const QString fileName = QFileInfo(state.language.LanguageFilePath).fileName();
    const QtTranslations qtTexts(fileName);
    const QString tag = QFileInfo(fileName).completeBaseName().toLower();
    const LanguageText &texts = state.language.LanguageText;

    // The longest figures the window shows, on a folder of the default settings.
    state.settings = state.store.WriteDefaultSettings();
    state.files.ListedFolder = state.settings.Download_File_Folder;
    state.status.MainWindowOpen = true;
    state.grab.PicturesSaved = 12345;
    state.grab.PagesCounted = 23456;
    frmResource &window = rig.open();
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
    settle();
    save(window.grab(), out, tag + QStringLiteral("_main"));
    window.hide();

    frmAbout about(texts, rig.urls);
    about.show();
    settle();
    QCursor::setPos(about.lblWebPage->mapToGlobal(about.lblWebPage->rect().center()));
    settle();
    save(about.grab(), out, tag + QStringLiteral("_about_hover"));
    about.hide();

    return 0;
}
