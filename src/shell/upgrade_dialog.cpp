#include "shell/upgrade_dialog.h"

#include "platform/process_control.h"
#include "shell/centring.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

frmDialog::frmDialog(QString programFolder, ProcessControl &process, QWidget *parent)
    : QDialog(parent), lblVersion(new QLabel(QStringLiteral("New Version published"), this)),
      optUpgrade{new QRadioButton(QStringLiteral("Upgrade now"), this),
                 new QRadioButton(QStringLiteral("Upgrade next time"), this)},
      cmdOK(new QPushButton(QStringLiteral("&OK"), this)), txtDumb(new QLineEdit(this)),
      programFolder_(std::move(programFolder)), process_(process)
{
    setObjectName(QStringLiteral("frmDialog"));
    setWindowTitle(QStringLiteral("Upgrade software"));
    setAttribute(Qt::WA_DeleteOnClose);

    QFont heading = lblVersion->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.2);
    lblVersion->setFont(heading);
    lblVersion->adjustSize();
    optUpgrade[0]->setChecked(true);
    for (QRadioButton *option : optUpgrade) {
        option->adjustSize();
        // The focus goes to the hidden field, so that no option keeps a focus frame.
        connect(option, &QRadioButton::clicked, txtDumb, [this] { txtDumb->setFocus(); });
    }
    txtDumb->setGeometry(-1000, -1000, 10, 10);
    cmdOK->resize(std::max(88, cmdOK->sizeHint().width()), cmdOK->sizeHint().height());
    connect(cmdOK, &QPushButton::clicked, this, &frmDialog::cmdOK_Click);

    const int width = std::max(300, lblVersion->width() + 48);
    lblVersion->move(0, 18);
    optUpgrade[0]->move(40, 60);
    optUpgrade[1]->move(40, 60 + optUpgrade[0]->height() + 6);
    cmdOK->move(0, optUpgrade[1]->y() + optUpgrade[1]->height() + 18);
    setFixedSize(width, cmdOK->y() + cmdOK->height() + 16);
    centreInParent(*lblVersion);
    centreInParent(*cmdOK);
}

void frmDialog::cmdOK_Click()
{
    if (optUpgrade[0]->isChecked()) {
        process_.startDetached(programFolder_ + QStringLiteral("/Upgrade"));
        process_.endProcess(0);
        return;
    }
    close();
}
