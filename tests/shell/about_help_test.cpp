#include "core/language_table.h"
#include "shell/about_window.h"
#include "shell/centring.h"
#include "shell/help_window.h"
#include "shell/link_label.h"
#include "support/fakes.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {
LanguageText textsWithNote(const QString &note)
{
    LanguageText t;
    t.set(0, QStringLiteral("&OK"));
    t.set(5, QStringLiteral("Zovarode Software"));
    t.set(6, QStringLiteral("https://www.zovarode.example/"));
    t.set(7, note);
    t.set(16, QStringLiteral("About"));
    t.set(17, QStringLiteral("Help"));
    t.set(18, QStringLiteral("Zovarode Help"));
    t.set(19, QStringLiteral("Open Online Help"));
    t.set(20,
          QStringLiteral("You must be connected to the Internet to view the online help files."));
    return t;
}

void hover(QWidget *w)
{
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(w, &enter);
}

void leave(QWidget *w)
{
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(w, &event);
}

void click(QWidget *w)
{
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QCoreApplication::sendEvent(w, &release);
}

void expectCentred(const QWidget *w)
{
    EXPECT_EQ(w->x(), (w->parentWidget()->width() - w->width()) / 2)
        << w->metaObject()->className();
}
} // namespace

TEST(Centring, LeftEdgeHalvesTheFreeWidth)
{
    EXPECT_EQ(centredLeft(400, 100), 150);
    EXPECT_EQ(centredLeft(401, 100), 150);
    EXPECT_EQ(centredLeft(100, 100), 0);
}

TEST(AboutWindow, ShowsTheLanguageTextsAndTheProductTitle)
{
    RecordingUrlOpener urls;
    frmAbout about(textsWithNote(QStringLiteral("Visit us:")), urls);
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Zovarode 3.74"));
    EXPECT_EQ(about.lblSoftwareVersion->text(), QStringLiteral("Zovarode 3.74"));
    EXPECT_EQ(about.lblSoftwareAuther->text(), QStringLiteral("Zovarode Software"));
    EXPECT_EQ(about.lblNote->text(), QStringLiteral("Visit us:"));
    EXPECT_EQ(about.lblWebPage->text(), QStringLiteral("https://www.zovarode.example/"));
    EXPECT_EQ(about.cmdOK->text(), QStringLiteral("&OK"));
}

TEST(AboutWindow, CentresItsPartsAndKeepsNoteAndLinkTogetherForAnyNoteLength)
{
    for (const QString &note :
         {QStringLiteral("Web:"), QStringLiteral("A much longer note that "
                                                 "pushes the link far to "
                                                 "the right of the window:")}) {
        RecordingUrlOpener urls;
        frmAbout about(textsWithNote(note), urls);
        const int width = about.width();
        expectCentred(about.lblSoftwareVersion);
        expectCentred(about.lblSoftwareAuther);
        expectCentred(about.cmdOK);
        expectCentred(about.picMark);
        EXPECT_EQ(about.lblNote->x(),
                  (width - about.lblNote->width() - about.lblWebPage->width() - NoteLinkGap) / 2);
        EXPECT_EQ(about.lblWebPage->x(), about.lblNote->x() + about.lblNote->width() + NoteLinkGap);
        EXPECT_GE(about.lblNote->x(), 0) << "the window grows to hold a long note";
        EXPECT_LE(about.lblWebPage->x() + about.lblWebPage->width(), width);
        for (const QFrame *line : {about.Line1, about.Line2})
            EXPECT_EQ(line->x() + line->width(), width - line->x());
    }
}

TEST(AboutWindow, LinkTurnsBlueUnderlinedOverAndCyanWhenLeftAndClickOpensTheAddress)
{
    RecordingUrlOpener urls;
    frmAbout about(textsWithNote(QStringLiteral("Web:")), urls);
    LinkLabel *link = about.lblWebPage;
    EXPECT_EQ(link->colour(), QColor(0, 255, 255));
    EXPECT_FALSE(link->underlined());

    hover(link);
    EXPECT_EQ(link->colour(), QColor(0, 0, 255));
    EXPECT_TRUE(link->underlined());
    leave(link);
    EXPECT_EQ(link->colour(), QColor(0, 255, 255));
    EXPECT_FALSE(link->underlined());

    about.show();
    hover(link);
    click(link);
    EXPECT_EQ(urls.opened, QStringList{QStringLiteral("https://www.zovarode.example/")});
    EXPECT_FALSE(link->underlined());
    EXPECT_TRUE(about.isVisible()) << "the about window stays open";
}

namespace {
double luminance(const QColor &colour)
{
    const auto channel = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
} // namespace

TEST(AboutWindow, LinkReadsWellAtRestAndUnderThePointer)
{
    RecordingUrlOpener urls;
    frmAbout about(textsWithNote(QStringLiteral("Web:")), urls);
    LinkLabel *link = about.lblWebPage;
    const auto ground = [&] {
        return (link->autoFillBackground() ? link->palette() : about.palette())
            .color(QPalette::Window);
    };
    EXPECT_GE(contrast(link->colour(), ground()), 4.5) << "at rest";
    hover(link);
    EXPECT_GE(contrast(link->colour(), ground()), 4.5) << "under the pointer";
    click(link);
    EXPECT_GE(contrast(link->colour(), ground()), 4.5) << "after a click";
}

TEST(HelpWindow, CentresItsTextsAndClosesAfterOpeningTheAddress)
{
    RecordingUrlOpener urls;
    frmHelp help(textsWithNote(QStringLiteral("Web:")), urls);
    EXPECT_EQ(help.windowTitle(), QStringLiteral("Help"));
    EXPECT_EQ(help.Label1->text(), QStringLiteral("Zovarode Help"));
    EXPECT_EQ(help.lblHelp->text(), QStringLiteral("Open Online Help"));
    expectCentred(help.Label1);
    expectCentred(help.lblHelp);
    expectCentred(help.Label2);
    EXPECT_GE(help.Label2->x(), 0);

    LinkLabel *link = help.lblHelp;
    EXPECT_EQ(link->colour(), QColor(0, 0, 255));
    hover(link);
    EXPECT_TRUE(link->underlined());
    leave(link);
    EXPECT_EQ(link->colour(), QColor(0, 0, 255));
    EXPECT_TRUE(link->underlined()) << "the help link stays blue and underlined";

    help.show();
    click(link);
    EXPECT_EQ(urls.opened, QStringList{QStringLiteral("https://www.zovarode.example/")});
    EXPECT_TRUE(link->underlined());
    EXPECT_FALSE(help.isVisible()) << "the help window closes after the click";
    EXPECT_EQ(help.result(), QDialog::Accepted);
}
