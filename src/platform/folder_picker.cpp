#include "platform/folder_picker.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QListView>
#include <QSplitter>
#include <QTreeView>

#include <algorithm>

const QString FileDialogFolderPicker::Title = QStringLiteral("Select the destination directory");

namespace {
// Qt's own dialog (used where the desktop offers none) sizes its side panel and columns for
// English; translated entries, column heads and dates need more room.
void makeRoomForTranslatedTexts(QFileDialog &dialog)
{
    auto *splitter = dialog.findChild<QSplitter *>(QStringLiteral("splitter"));
    auto *sidebar = dialog.findChild<QListView *>(QStringLiteral("sidebar"));
    auto *files = dialog.findChild<QTreeView *>(QStringLiteral("treeView"));
    if (!splitter || !sidebar || !files)
        return;
    int sidebarWidth = 0;
    for (int row = 0; row < sidebar->model()->rowCount(); ++row)
        sidebarWidth = std::max(sidebarWidth,
                                sidebar->sizeHintForIndex(sidebar->model()->index(row, 0)).width());
    sidebarWidth +=
        2 * sidebar->frameWidth() + sidebar->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    QHeaderView *header = files->header();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    dialog.resize(std::max(dialog.width(), 760), std::max(dialog.height(), 440));
    splitter->setSizes({sidebarWidth, dialog.width() - sidebarWidth});
}
} // namespace

QString FileDialogFolderPicker::BrowseForFolder(QWidget *owner, const QString &startFolder)
{
    QFileDialog dialog(owner, Title, startFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    makeRoomForTranslatedTexts(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}
