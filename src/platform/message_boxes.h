#pragma once

#include <QString>

// Message boxes titled with the product title. The program shows real dialogs; tests use a
// scripted fake that records the texts and gives the answers it was told.
class MessageBoxes {
public:
    enum class Icon { None, Information, Exclamation, Critical };

    virtual ~MessageBoxes() = default;
    // A message with an OK button; returns when the user has closed it.
    virtual void showMessage(const QString &text, Icon icon) = 0;
    // A question with Yes and No buttons; true for Yes.
    virtual bool askYesNo(const QString &text, Icon icon) = 0;
};
