#include "shell_fixture.h"

#include "mainwin/frm_resource.h"
#include "shell/upgrade_dialog.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using namespace Qt::StringLiterals;

// The hidden main window: its tray menu and its offer of a new version.
using TrayMenuTest = ShellFixture;

namespace {
// Calls open() and closes the modal window it shows. Returns that window's name, or nothing
// when open() returned without one.
template <typename Open> QString modalNameDuring(Open open)
{
    QString name;
    QTimer closer;
    closer.setSingleShot(true);
    QObject::connect(&closer, &QTimer::timeout, [&name] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            name = modal->objectName();
            modal->close();
        }
    });
    closer.start(0);
    open();
    return name;
}
} // namespace

TEST_F(TrayMenuTest, MenuHoldsTheFourTextsAroundOneSeparatorAndHelpAndAboutAreModal)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    const LanguageText &t = state->language.LanguageText;
    QStringList captions;
    for (const QAction *action : ambrola->mnuPopup->actions())
        captions.append(action->isSeparator() ? u"-"_s : action->text());
    EXPECT_EQ(captions, (QStringList{t[52], u"-"_s, t[53], t[54], t[55]}));
    EXPECT_EQ(modalNameDuring([&] { ambrola->mnuHelp->trigger(); }), u"frmHelp"_s);
    EXPECT_EQ(modalNameDuring([&] { ambrola->mnuAbout->trigger(); }), u"frmAbout"_s);
    EXPECT_TRUE(ambrola->mnuGrabbing->isEnabled()) << "modal windows change no state";
}

TEST_F(TrayMenuTest, PictureGrabbingIsGreyedWhileTheMainWindowIsOpenAndExitEndsWithoutSaving)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    const auto stored = [this] { return backend->read(SettingsStore::ImageKey, u"FileToNum"_s); };
    backend->write(SettingsStore::ImageKey, u"FileToNum"_s, u"1"_s);
    for (int round = 0; round < 2; ++round) {
        ambrola->mnuGrabbing->trigger();
        EXPECT_TRUE(state->status.MainWindowOpen);
        EXPECT_FALSE(ambrola->mnuGrabbing->isEnabled());
        frmResource *window = ambrola->mainWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        ambrola->mnuGrabbing->trigger();
        EXPECT_EQ(ambrola->mainWindow(), window) << "a greyed entry does nothing";
        window->close();
        EXPECT_FALSE(state->status.MainWindowOpen);
        EXPECT_TRUE(ambrola->mnuGrabbing->isEnabled());
        EXPECT_EQ(ambrola->mainWindow(), nullptr);
        EXPECT_EQ(stored(), u"50"_s) << "leaving the main window saves the settings";
        EXPECT_FALSE(process.ended);
    }

    ambrola->mnuGrabbing->trigger();
    state->settings.FileToNum = 9;
    ambrola->mnuExit->trigger();
    EXPECT_TRUE(state->grab.StopRequested);
    EXPECT_FALSE(tray.visible);
    EXPECT_EQ(ambrola->mainWindow(), nullptr);
    EXPECT_TRUE(process.ended);
    EXPECT_EQ(process.code, 0);
    EXPECT_EQ(stored(), u"50"_s) << "Exit saves nothing";
}

TEST_F(TrayMenuTest, NewVersionIsOfferedOnceWithoutBlockingAndUpgradeNowRunsTheUpgrader)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    EXPECT_EQ(modalNameDuring([&] {
                  ambrola->offerUpgrade();
                  ambrola->offerUpgrade();
              }),
              QString());
    QList<frmDialog *> offers;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *offer = qobject_cast<frmDialog *>(w); offer && offer->isVisible())
            offers.append(offer);
    ASSERT_EQ(offers.size(), 1);
    EXPECT_TRUE(offers[0]->optUpgrade[0]->isChecked());
    offers[0]->cmdOK->click();
    EXPECT_EQ(process.started, QStringList{folder.path() + u"/Upgrade"_s});
    EXPECT_TRUE(process.ended);
    EXPECT_EQ(process.code, 0);
    delete offers[0];
}

TEST(UpgradeDialog, UpgradeNextTimeOnlyClosesAndAnOptionGivesUpTheFocus)
{
    RecordingProcessControl process;
    QPointer<frmDialog> dialog = new frmDialog(u"/p"_s, process);
    dialog->show();
    dialog->optUpgrade[1]->click();
    EXPECT_EQ(dialog->focusWidget(), dialog->txtDumb);
    dialog->cmdOK->click();
    EXPECT_TRUE(process.started.isEmpty());
    EXPECT_FALSE(process.ended);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull()) << "the window closes and goes";
}
