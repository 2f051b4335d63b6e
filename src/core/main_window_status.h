#pragma once

#include <QObject>
#include <QString>

#include <array>

// What the core knows of the main window: whether it is open, the texts of its four status panels
// and the caption of its Grab Now button. The engine and the driver write here; the window shows
// what is written.
class MainWindowStatus : public QObject {
    Q_OBJECT

public:
    static constexpr int PanelCount = 4;

    bool MainWindowOpen = false;

    // Panels are numbered 1 to 4. The text changes only while the main window is open.
    void showStatus(int panel, const QString &text);
    QString panelText(int panel) const;

    void setGrabCaption(const QString &caption);
    QString grabCaption() const { return grabCaption_; }

Q_SIGNALS:
    void panelChanged(int panel, const QString &text);
    void grabCaptionChanged(const QString &caption);

private:
    std::array<QString, PanelCount> panels_;
    QString grabCaption_;
};
