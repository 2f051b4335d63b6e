#include "shell_fixture.h"

#include "mainwin/frm_resource.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QTimer>

using TrayMenuTest = ShellFixture;

TEST_F(TrayMenuTest, MenuHoldsFourCaptionedEntriesAroundOneSeparator)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    const QList<QAction *> actions = ambrola->mnuPopup->actions();
    ASSERT_EQ(actions.size(), 5);
    EXPECT_EQ(actions[0], ambrola->mnuGrabbing);
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2], ambrola->mnuHelp);
    EXPECT_EQ(actions[3], ambrola->mnuAbout);
    EXPECT_EQ(actions[4], ambrola->mnuExit);
    const LanguageText &t = state->language.LanguageText;
    EXPECT_EQ(ambrola->mnuGrabbing->text(), t[52]);
    EXPECT_EQ(ambrola->mnuHelp->text(), t[53]);
    EXPECT_EQ(ambrola->mnuAbout->text(), t[54]);
    EXPECT_EQ(ambrola->mnuExit->text(), t[55]);
}

TEST_F(TrayMenuTest, EmptyCaptionLinesGiveEmptyEntries)
{
    QFile::remove(folder.filePath(QStringLiteral("english.lan")));
    QFile file(folder.filePath(QStringLiteral("english.lan")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (int i = 0; i < 121; ++i)
        file.write((i >= 52 && i <= 55) ? "\r\n" : "x text\r\n");
    file.close();
    ASSERT_EQ(start(), StartupOutcome::Running);
    EXPECT_TRUE(ambrola->mnuGrabbing->text().isEmpty());
    EXPECT_TRUE(ambrola->mnuExit->text().isEmpty());
}

TEST_F(TrayMenuTest, PictureGrabbingIsGreyedWhileTheMainWindowIsOpen)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    backend->write(SettingsStore::ImageKey, QStringLiteral("FileToNum"), QStringLiteral("1"));

    ambrola->mnuGrabbing->trigger();
    EXPECT_TRUE(state->status.MainWindowOpen);
    EXPECT_FALSE(ambrola->mnuGrabbing->isEnabled());
    frmResource *window = ambrola->mainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), state->language.LanguageText[114]);

    ambrola->mnuGrabbing->trigger();
    EXPECT_EQ(ambrola->mainWindow(), window) << "a greyed entry does nothing";

    window->close();
    EXPECT_FALSE(state->status.MainWindowOpen);
    EXPECT_TRUE(ambrola->mnuGrabbing->isEnabled());
    EXPECT_EQ(ambrola->mainWindow(), nullptr);
    EXPECT_EQ(backend->read(SettingsStore::ImageKey, QStringLiteral("FileToNum")),
              QStringLiteral("50"))
        << "leaving the main window saves the settings";
    EXPECT_FALSE(process.ended);

    ambrola->mnuGrabbing->trigger();
    EXPECT_NE(ambrola->mainWindow(), nullptr) << "the window can be opened again";
}

TEST_F(TrayMenuTest, ExitStopsRemovesTheIconClosesTheWindowAndLeavesSettingsAlone)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    ambrola->mnuGrabbing->trigger();
    state->settings.FileToNum = 9;
    QFile ini(iniPath());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray before = ini.readAll();
    ini.close();

    ambrola->mnuExit->trigger();
    EXPECT_TRUE(state->grab.StopRequested);
    EXPECT_FALSE(tray.visible);
    EXPECT_EQ(ambrola->mainWindow(), nullptr);
    EXPECT_TRUE(process.ended);
    EXPECT_EQ(process.code, 0);
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_EQ(ini.readAll(), before);
}

TEST_F(TrayMenuTest, HelpAndAboutOpenModallyAndReturnWhenClosed)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    QStringList seen;
    auto closeModal = [&seen] {
        QTimer::singleShot(0, [&seen] {
            QWidget *modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            seen.append(modal->objectName());
            static_cast<QDialog *>(modal)->reject();
        });
    };
    closeModal();
    ambrola->mnuHelp->trigger();
    closeModal();
    ambrola->mnuAbout->trigger();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("frmHelp"), QStringLiteral("frmAbout")}));
    EXPECT_TRUE(ambrola->mnuGrabbing->isEnabled()) << "modal windows change no state";
}
