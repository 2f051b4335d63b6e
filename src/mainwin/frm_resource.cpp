#include "mainwin/frm_resource.h"

#include "shell/language_table.h"

#include <QCloseEvent>

frmResource::frmResource(const LanguageText &texts, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmResource"));
    setWindowTitle(texts[114]);
    resize(640, 480);
}

void frmResource::unload()
{
    unloading_ = true;
    close();
    deleteLater();
}

void frmResource::closeEvent(QCloseEvent *event)
{
    if (unloading_) {
        event->accept();
        return;
    }
    event->ignore();
    Q_EMIT cmdExitClicked();
}
