#pragma once

// The places of the language texts, by their index in the language file.
namespace TextId {
enum : int {
    OkCaption = 0,
    AuthorLine = 5,
    WebAddress = 6, // the about link's caption and the address both links open
    AboutNote = 7,
    StartupError = 14,
    AboutCaption = 16,
    HelpWindowCaption = 17,
    HelpHeading = 18,
    HelpLink = 19,
    HelpNotice = 20,

    ViewerFileMenu = 28, // 28 to 48: the viewer's menu captions, menus and items in menu order
    SlideShowCaption = 44,
    StopSlideShowCaption = 49,
    FullSizeModeText = 50,
    FitModeText = 51,

    TrayGrabbing = 52,
    TrayHelp = 53,
    TrayAbout = 54,
    TrayExit = 55,

    GrabCaption = 56,
    HideCaption = 57,
    HelpCaption = 58,
    FirstCaption = 60,
    BackwardCaption = 61,
    ForwardCaption = 62,
    LastCaption = 63,
    StopCaption = 64,
    ReadyStatus = 65,
    SavedWord = 66,
    ScannedWord = 67,
    FirstPanel = 68, // 68 to 71: the four panels before anything happened
    PicturesSavedWord = 69,
    PagesCountedWord = 70,
    NoFormatMessage = 72,
    RangeFrom = 73,
    RangeTo = 74,
    RangeInvalid = 75,
    NoSearchMessage = 76,
    GrabStartedStatus = 77,
    FolderMissingMessage = 78,

    Requesting = 79,
    Receiving = 80,
    Redirected = 81,
    DownloadFailed = 82,
    DownloadCompleted = 83,
    AllStopped = 84,
    FolderBlocked = 85,

    LimitFrame = 86,
    FormatFrame = 87,
    SearchFrame = 88,
    NameFolderFrame = 89,
    ImageSizeBox = 90,
    WidthLabel = 91,
    HeightLabel = 92,
    FileSizeBox = 93,
    FileSizeLabel = 94,
    PixelsLabel = 95,
    SearchLabel = 96,
    HistoryLabel = 97,
    DeleteButton = 98,
    FolderLabel = 99,
    FileNameLabel = 100,
    FromLabel = 101,
    ToLabel = 102,
    OverwriteBox = 103,
    ChangeFolderButton = 104,
    FileNumberRange = 105,
    FileNumberDigits = 106,

    InterfaceTableUnsupported = 107,

    GrabEnded = 109,
    FinishedMessage = 110,
    StoppedMessage = 111,
    StoppedByUserMessage = 112,
    NetworkLostMessage = 113,
    WindowCaption = 114,
    SameSiteBox = 115,
    FolderNotWritable = 118, // panel 1, when a picture cannot be written
    DiskFull = 119,
};
} // namespace TextId
