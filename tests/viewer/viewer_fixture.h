#pragma once

#include "platform/event_pump.h"
#include "support/fakes.h"
#include "support/program_folder.h"
#include "viewer/frm_sized_preview.h"

#include <QCoreApplication>
#include <QTimer>

// The viewer over a fake trash and an event pump that runs nothing, on pictures the test
// writes into the picture folder of the first-run settings.
class ViewerFixture : public ::testing::Test, protected ProgramFolder {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(prepareProgramFolder());
        refreshTimer.start(3'600'000);
    }

    // Writes pictures p0.png, p1.png, ... of the given sizes, opens the viewer on one as the
    // thumbnail view does, and fits it again into a client area of 800 x 580.
    frmSizedPreview &open(std::initializer_list<QSize> sizes, int index)
    {
        int number = 0;
        for (const QSize size : sizes) {
            QImage image(size, QImage::Format_RGB32);
            image.fill(Qt::darkCyan);
            EXPECT_TRUE(image.save(state.settings.Download_File_Folder +
                                   QStringLiteral("/p%1.png").arg(number++)));
        }
        state.files.refresh(listing, state.settings.Download_File_Folder);
        state.files.CurrentImageIndex = static_cast<qint16>(index);
        viewer = std::make_unique<frmSizedPreview>(state, refreshTimer, events, listing, trash);
        viewer->showCurrent();
        resizeClient({800, 580});
        viewer->mnuReload_Click();
        return *viewer;
    }
    void resizeClient(QSize client)
    {
        viewer->resize(client + viewer->size() - viewer->usableSize());
        QCoreApplication::processEvents();
        ASSERT_EQ(viewer->usableSize(), client);
    }
    void send(QObject *receiver, QEvent &&event) { QCoreApplication::sendEvent(receiver, &event); }

    QTimer refreshTimer;
    ScriptedEventPump events;
    FakeTrash trash;
    std::unique_ptr<frmSizedPreview> viewer;
};
