#pragma once

#include <QString>

// The address of the page that names the newest published version; its first line starts
// with that version as a decimal number.
inline const QString UpgradePageAddress =
    QStringLiteral("http://www.zovarode.example/VezurodUdevizEruvoz/Upgrade.htm");

// The program's own version: the text after the last blank of the product title.
QString ownVersion();

// True when the first line of the page names a higher version than the program's own.
// Versions compare as decimal numbers; a first line without a number reads as 0.
bool ParseUpgradeHtml(const QString &html);

// Offers the upgrade to the user, without blocking the caller.
class UpgradeOffer {
public:
    virtual ~UpgradeOffer() = default;
    virtual void offerUpgrade() = 0;
};
