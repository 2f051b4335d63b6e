#pragma once

#include "platform/message_boxes.h"

// Message boxes as modal dialogs on the screen.
class MessageBoxDialogs final : public MessageBoxes {
public:
    void showMessage(const QString &text, Icon icon) override;
    bool askYesNo(const QString &text, Icon icon) override;
};
