#pragma once

#include <QWidget>

#include <array>

struct AppState;
struct PanelValues;
class FolderPicker;
class MainWindowHost;
class MessageBoxes;
class ocxResource;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;

// The main window: the settings panel, the thumbnail strip, the Grab, Hide and Help commands
// and a status bar of four panels. Grab Now seeds a new grab and starts the host's timers, or
// asks the running grab to stop; Hide asks the owner to leave the window, and the owner saves
// the settings and unloads it.
class frmResource : public QWidget {
    Q_OBJECT

public:
    static constexpr int ClientWidth = 632;
    static constexpr int ClientHeight = 495;
    static constexpr int ThumbSlots = 5;
    // Top of the dark thumbnail strip.
    static constexpr int StripTop = 308;

    frmResource(AppState &state, PanelValues &values, MessageBoxes &messages, FolderPicker &folders,
                MainWindowHost &host, QWidget *parent = nullptr);

    // Shows the window and brings its captions, grab state and status panels up to date.
    void Form_Load();
    // Puts the search text at the head of the history unless it is there already.
    void AddToHistory();
    // Closes the window for good, without asking the owner.
    void unload();

    // The thumbnail strip (page label, slots and paging buttons) keeps its positions for a
    // window of ClientWidth and is centred as one in a wider window: its parts stand this
    // many pixels right of those positions.
    int stripOffset() const;

    ocxResource &panel() const { return *ocxResource_; }
    // The text of status panel 1 to 4.
    QString panelText(int panel) const;
    QLabel *statusPanel(int panel) const
    {
        return statusPanels_.at(static_cast<size_t>(panel - 1));
    }

    QPushButton *cmdGrabNow;
    QPushButton *cmdExit;
    QPushButton *cmdHelp;
    QPushButton *cmdFirst;
    QPushButton *cmdBackward;
    QPushButton *cmdForward;
    QPushButton *cmdLast;
    QLabel *lblThumbViewPage;
    std::array<QLabel *, ThumbSlots> picThumb;
    std::array<QLabel *, ThumbSlots> lblThumbView;
    QLabel *picImg;
    QStatusBar *sbThumbViewStatus;
    QLineEdit *txtDumb;

Q_SIGNALS:
    void cmdExitClicked();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void createStrip();
    void createStatusBar();
    void setPanel(int panel, const QString &text);
    void cmdGrabNow_Click();
    bool grabChecksPass();
    void cmdExit_Click();
    void cmdHelp_Click();
    void Form_Resize();
    void placeStrip();
    void fitPagingCaptions();
    void centrePageLabel();

    AppState &state_;
    PanelValues &values_;
    MessageBoxes &messages_;
    MainWindowHost &host_;
    ocxResource *ocxResource_;
    QWidget *thumbBackdrop_;
    std::array<QLabel *, 4> statusPanels_;
    int placedOffset_ = 0;
    bool unloading_ = false;
};
