#pragma once

#include <QString>

// The values of the settings panel that outlive the main window: the keyword or website
// address of the search field, and whether any picture format is ticked.
struct PanelValues {
    QString SearchText;
    bool AnyFormatSelected = false;
};
