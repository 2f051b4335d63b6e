#pragma once

#include <QDialog>

class ProcessControl;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Offers a newer version: "Upgrade now" starts the program Upgrade of the program folder and
// ends this one; "Upgrade next time" only closes the window.
class frmDialog : public QDialog {
    Q_OBJECT

public:
    frmDialog(QString programFolder, ProcessControl &process, QWidget *parent = nullptr);

    QLabel *lblVersion;
    QRadioButton *optUpgrade[2];
    QPushButton *cmdOK;
    QLineEdit *txtDumb;

    void cmdOK_Click();

private:
    QString programFolder_;
    ProcessControl &process_;
};
