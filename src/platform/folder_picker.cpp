#include "platform/folder_picker.h"

#include <QFileDialog>

const QString FileDialogFolderPicker::Title = QStringLiteral("Select the destination directory");

QString FileDialogFolderPicker::BrowseForFolder(QWidget *owner, const QString &startFolder)
{
    return QFileDialog::getExistingDirectory(owner, Title, startFolder, QFileDialog::ShowDirsOnly);
}
