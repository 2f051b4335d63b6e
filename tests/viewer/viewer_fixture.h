#pragma once

#include "core/app_state.h"
#include "platform/event_pump.h"
#include "platform/file_listing.h"
#include "platform/settings_backend.h"
#include "support/fakes.h"
#include "viewer/frm_sized_preview.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

// A program folder with the English texts and first-run settings, a picture folder the test
// fills, and the viewer over a fake trash and an event pump that runs nothing.
class ViewerFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QFile::copy(QStringLiteral(ZOVARODE_LANG_DIR "/english.lan"),
                                folder.filePath(QStringLiteral("english.lan"))));
        ASSERT_EQ(loadLanguage(folder.path(), listing, state.language), LanguageLoadResult::Loaded);
        state.settings = state.store.WriteDefaultSettings();
        refreshTimer.setInterval(3'600'000);
        refreshTimer.start();
    }

    // A picture of one colour with a black top-left pixel, so that any transform shows.
    QString addPicture(const QString &name, QSize size)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        image.setPixel(0, 0, qRgb(0, 0, 0));
        const QString path = pictureFolder() + u'/' + name;
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }
    QString addBytes(const QString &name, const QByteArray &bytes)
    {
        const QString path = pictureFolder() + u'/' + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QString pictureFolder() const { return state.settings.Download_File_Folder; }

    // Opens the viewer on a picture as the thumbnail view does, with a client area of the given
    // size, and loads the picture again to fit it there.
    frmSizedPreview &open(int index, QSize client = {800, 580})
    {
        state.files.refresh(listing, pictureFolder());
        state.files.CurrentImageIndex = static_cast<qint16>(index);
        viewer = std::make_unique<frmSizedPreview>(state, refreshTimer, events, listing, trash);
        viewer->showCurrent();
        resizeClient(client);
        viewer->mnuReload_Click();
        return *viewer;
    }
    void resizeClient(QSize client)
    {
        const QSize frame = viewer->size() - viewer->usableSize();
        viewer->resize(client + frame);
        QCoreApplication::processEvents();
        ASSERT_EQ(viewer->usableSize(), client);
    }

    qint16 index() const { return state.files.CurrentImageIndex; }
    const QString &text(int index) const { return state.language.LanguageText[index]; }

    QTemporaryDir folder;
    DirFileListing listing;
    IniSettingsBackend backend{folder.filePath(QStringLiteral("settings.ini"))};
    AppState state{folder.path(), backend};
    QTimer refreshTimer;
    ScriptedEventPump events;
    FakeTrash trash;
    std::unique_ptr<frmSizedPreview> viewer;
};
