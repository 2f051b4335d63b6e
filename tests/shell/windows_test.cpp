#include "core/language_table.h"
#include "core/text_ids.h"
#include "shell/about_window.h"
#include "shell/help_window.h"
#include "shell/link_label.h"
#include "shell/qt_translations.h"
#include "shell/upgrade_dialog.h"
#include "support/fakes.h"
#include "support/typing.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace TextId;

namespace {
// The address, and a text for the help link so that it has a size to click.
LanguageText withAddress()
{
    LanguageText texts;
    texts.set(WebAddress, u"http://a/"_s);
    texts.set(HelpLink, u"help"_s);
    return texts;
}
} // namespace

TEST(LinkLabel, ReportsEnterAndLeaveAndOnlyALeftButtonReleasedOverIt)
{
    LinkLabel link;
    link.resize(40, 10);
    QStringList seen;
    QObject::connect(&link, &LinkLabel::pointerEntered, [&] { seen.append(u"enter"_s); });
    QObject::connect(&link, &LinkLabel::pointerLeft, [&] { seen.append(u"leave"_s); });
    QObject::connect(&link, &LinkLabel::clicked, [&] { seen.append(u"click"_s); });
    hover(&link);
    hover(&link, false);
    clickOn(&link, QPointF(39, 9));
    clickOn(&link, QPointF(40, 5)); // released one pixel outside
    clickOn(&link, QPointF(5, 10));
    clickOn(&link, {}, Qt::RightButton);
    EXPECT_EQ(seen, (QStringList{u"enter"_s, u"leave"_s, u"click"_s}));
}

TEST(AboutWindow, ShowsItsTextsAndItsLinkLooksPointedAtOnlyWhilePointedAt)
{
    RecordingUrlOpener urls;
    frmAbout about(withAddress(), urls);
    about.show();
    LinkLabel *link = about.lblWebPage;
    const auto look = [&] {
        return std::tuple(link->colour(), link->underlined(),
                          link->palette().color(QPalette::Window));
    };
    const auto rest = std::tuple(frmAbout::RestColour, false, frmAbout::RestGround);
    EXPECT_EQ(look(), rest);
    hover(link);
    EXPECT_EQ(look(), std::tuple(frmAbout::HoverColour, true, frmAbout::HoverGround));
    hover(link, false);
    EXPECT_EQ(look(), rest);
    hover(link);
    clickOn(link);
    EXPECT_EQ(look(), std::tuple(frmAbout::HoverColour, false, frmAbout::HoverGround));
    EXPECT_EQ(urls.opened, QStringList{u"http://a/"_s});
    about.cmdOK->click();
    EXPECT_FALSE(about.isVisible());
}

TEST(HelpWindow, ShowsItsTextsAndItsLinkOpensTheAddressAndCloses)
{
    RecordingUrlOpener urls;
    frmHelp help(withAddress(), urls);
    LinkLabel *link = help.lblHelp;
    EXPECT_FALSE(link->underlined());
    hover(link);
    hover(link, false);
    EXPECT_TRUE(link->underlined()) << "the help link stays underlined once pointed at";
    clickOn(link);
    EXPECT_EQ(urls.opened, QStringList{u"http://a/"_s});
    EXPECT_EQ(help.result(), QDialog::Accepted);
}

TEST(UpgradeDialog, UpgradeNowStartsTheUpgraderAndEndsUpgradeNextTimeOnlyCloses)
{
    for (const int option : {0, 1}) {
        const bool now = option == 0;
        RecordingProcessControl process;
        QPointer<frmDialog> dialog = new frmDialog(u"/p"_s, process);
        dialog->show();
        dialog->optUpgrade[option]->click();
        EXPECT_EQ(dialog->focusWidget(), dialog->txtDumb) << "no option keeps the focus";
        dialog->cmdOK->click();
        EXPECT_EQ(process.started, now ? QStringList{u"/p/Upgrade"_s} : QStringList());
        EXPECT_EQ(std::pair(process.ended, process.code), std::pair(now, now ? 0 : -1));
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(dialog.isNull(), !now) << "the window closes and goes";
        delete dialog.data();
    }
}

TEST(QtTranslations, FolderPickerSpeaksTheLanguageOfTheLanguageFile)
{
    EXPECT_FALSE(QtTranslations(u"english.lan"_s).installed());
    const QtTranslations french(u"francais.lan"_s);
    EXPECT_TRUE(french.installed());
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), u"Look in:"_s);
}
