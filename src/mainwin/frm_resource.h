#pragma once

#include <QWidget>

class LanguageText;

// The main window. Its Hide command (here: the window's close button) asks the owner to
// leave the window; the owner saves the settings and unloads it.
class frmResource : public QWidget {
    Q_OBJECT

public:
    explicit frmResource(const LanguageText &texts, QWidget *parent = nullptr);

    // Closes the window for good, without asking the owner.
    void unload();

Q_SIGNALS:
    void cmdExitClicked();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool unloading_ = false;
};
