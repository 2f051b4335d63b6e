#include "core/main_window_status.h"

void MainWindowStatus::showStatus(int panel, const QString &text)
{
    if (!MainWindowOpen || panel < 1 || panel > PanelCount)
        return;
    panels_[static_cast<size_t>(panel - 1)] = text;
    Q_EMIT panelChanged(panel, text);
}

QString MainWindowStatus::panelText(int panel) const
{
    if (panel < 1 || panel > PanelCount)
        return {};
    return panels_[static_cast<size_t>(panel - 1)];
}

void MainWindowStatus::setGrabCaption(const QString &caption)
{
    grabCaption_ = caption;
    Q_EMIT grabCaptionChanged(caption);
}
