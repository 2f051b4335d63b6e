// Feeds arbitrary bytes to the picture header readers and to StorePicture. The number range
// is set up used up, so StorePicture runs every filter but never writes a file.

#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"
#include "crawl/crawl_context.h"
#include "crawl/picture_header.h"
#include "crawl/picture_store.h"
#include "platform/event_pump.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    const auto kind = pictureKindOf(bytes);
    for (PictureKind each :
         {PictureKind::Jpg, PictureKind::Gif, PictureKind::Bmp, PictureKind::Png}) {
        const auto dimensions = readPictureSize(bytes, each);
        if (dimensions && (dimensions->Width < 0 || dimensions->Width > 65535 ||
                           dimensions->Height < 0 || dimensions->Height > 65535))
            std::abort();
    }
    if (size >= 2 && MakeWord(data[0], data[1]).has_value() != (data[1] <= 127))
        std::abort();

    Settings settings;
    settings.Limited_Images_Resolution = true;
    settings.Images_Width = 16;
    settings.Images_Height = 16;
    settings.FileFromNum = 1;
    settings.FileToNum = 0;
    settings.FileOverwrite = true;
    settings.Download_File_Folder = QStringLiteral("/nonexistent-fuzz-folder");
    GrabState grab;
    MainWindowStatus status;
    status.MainWindowOpen = true;
    LanguageText texts;
    ScriptedEventPump events;
    CrawlContext context{settings, grab, status, texts, events};

    const bool stored = StorePicture(context, bytes, QStringLiteral("RRhttp://fuzz/p/x"));
    // Every recognised picture either fails the dimension filter, cannot be measured, or
    // finds the range used up; none is ever written.
    if (stored || grab.PicturesSaved != 0 || (grab.StopRequested && !kind))
        std::abort();
    return 0;
}
