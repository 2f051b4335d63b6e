#pragma once

#include "core/settings.h"

#include <QTimer>
#include <QWidget>

#include <array>

struct AppState;
struct PanelValues;
class FolderPicker;
class MessageBoxes;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The grabbing settings panel of the main window: picture formats, limits, the search text
// and its history, the file naming and the destination folder. Every change is checked as it
// is made and goes into the settings at once; SaveResourceSetting stores them.
class ocxResource : public QWidget {
    Q_OBJECT

public:
    static constexpr int LargestDimension = 2048; // pixels
    static constexpr int LargestFileSize = 10240; // KB
    static constexpr int FileRowGap = 6;          // between the controls of the file row

    ocxResource(AppState &state, PanelValues &values, MessageBoxes &messages, FolderPicker &folders,
                QWidget *parent = nullptr);

    // Stores the panel's settings.
    void SaveResourceSetting();
    // Shows a folder that the caller has already made the destination.
    void ChangeFileFolder(const QString &folder);
    // Refills the history box from the search history and shows its newest entry.
    void AddProject();

    QGroupBox *fmeLimit;
    QGroupBox *fmeResourceType;
    QGroupBox *fmeSearch;
    QGroupBox *fmeNameFolder;

    std::array<QCheckBox *, 5> chkImage; // .gif .jpg .jpeg .bmp .png
    QCheckBox *chkImageSize;
    QLabel *lblImageWidth;
    QLabel *lblImageHeight;
    QLineEdit *txtImageWidth;
    QLineEdit *txtImageHeight;
    QLabel *lblWidthPixel;
    QLabel *lblHeightPixel;
    QCheckBox *chkImageFileSize;
    QLabel *lblImageFileSize;
    QLineEdit *txtImageFileSize;
    QLabel *lblImageKB;

    QCheckBox *chkStayOnSameSite;
    QLabel *Label1;
    QLineEdit *txtWebsiteURL;
    QLabel *Label2;
    QComboBox *cmbSearchedSite;
    QPushButton *cmdDelete;
    QTimer tmrText;

    QLabel *Label5;
    QLineEdit *txtFileFolder;
    QPushButton *cmdChangeFileFolder;
    QLabel *Label4;
    QLineEdit *txtFileName;
    QLabel *Label3;
    QLineEdit *txtFileFrom;
    QLabel *Label6;
    QLineEdit *txtFileTo;
    QCheckBox *chkOverwrite;

Q_SIGNALS:
    // The folder button chose a folder other than the one the file list shows.
    void pictureFolderChanged(const QString &folder);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void arrangeControls();
    void connectControls();
    void UserControl_Initialize();
    void placeFileRow();

    bool &formatFlag(int index);
    void chkImage_Click(int index);
    void chkImageSize_Click();
    void chkImageFileSize_Click();
    void limitBox_Click(QCheckBox *box, bool &flag, const std::vector<QWidget *> &dependants);

    void txtLimit_Change(QLineEdit *field, int maximum);
    void txtFileNumber_Change(QLineEdit *field, qint32 Settings::*number);
    void txtFileName_Change();
    void cmdChangeFileFolder_Click();

    void fillHistoryBox();
    void cmbSearchedSite_Click();
    void cmdDelete_Click();
    void tmrText_Timer();

    AppState &state_;
    PanelValues &values_;
    MessageBoxes &messages_;
    FolderPicker &folders_;
    QWidget *fileRow_;
    // The text a limit or name field held when it was last clicked; one for all of them.
    QString PreviousText;
};
