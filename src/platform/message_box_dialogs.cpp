#include "platform/message_box_dialogs.h"

#include "platform/product.h"

#include <QMessageBox>

namespace {
QMessageBox::Icon qtIcon(MessageBoxes::Icon icon)
{
    switch (icon) {
    case MessageBoxes::Icon::Information:
        return QMessageBox::Information;
    case MessageBoxes::Icon::Exclamation:
        return QMessageBox::Warning;
    case MessageBoxes::Icon::Critical:
        return QMessageBox::Critical;
    case MessageBoxes::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton run(const QString &text, MessageBoxes::Icon icon,
                                QMessageBox::StandardButtons buttons)
{
    QMessageBox box(qtIcon(icon), productTitle(), text, buttons);
    // Messages carry language texts, file names and addresses: never markup.
    box.setTextFormat(Qt::PlainText);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
} // namespace

void MessageBoxDialogs::showMessage(const QString &text, Icon icon)
{
    run(text, icon, QMessageBox::Ok);
}

bool MessageBoxDialogs::askYesNo(const QString &text, Icon icon)
{
    return run(text, icon, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}
