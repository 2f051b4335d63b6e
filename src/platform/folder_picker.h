#pragma once

#include <QString>

class QWidget;

// Lets the user choose a folder. The program shows the desktop's folder dialog; tests use a
// scripted fake.
class FolderPicker {
public:
    virtual ~FolderPicker() = default;
    // The chosen folder, or an empty text when the user cancels. The dialog starts at
    // startFolder.
    virtual QString BrowseForFolder(QWidget *owner, const QString &startFolder) = 0;
};

class FileDialogFolderPicker final : public FolderPicker {
public:
    static const QString Title;

    QString BrowseForFolder(QWidget *owner, const QString &startFolder) override;
};
