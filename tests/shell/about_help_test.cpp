#include "core/language_table.h"
#include "shell/about_window.h"
#include "shell/centring.h"
#include "shell/help_window.h"
#include "shell/link_label.h"
#include "support/fakes.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFrame>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {
LanguageText textsWithNote(const QString &note)
{
    LanguageText t;
    for (int i = 0; i < LanguageText::Count; ++i)
        t.set(i, u"text%1"_s.arg(i));
    t.set(7, note);
    return t;
}

void hover(QWidget *w, bool enter = true)
{
    QEnterEvent enterEvent({2, 2}, {2, 2}, {2, 2});
    QEvent leaveEvent(QEvent::Leave);
    QApplication::sendEvent(w, enter ? static_cast<QEvent *>(&enterEvent) : &leaveEvent);
}

void click(QWidget *w, QPointF release = {2, 2}, Qt::MouseButton button = Qt::LeftButton)
{
    QMouseEvent press(QEvent::MouseButtonPress, {2, 2}, {2, 2}, button, button, {});
    QMouseEvent up(QEvent::MouseButtonRelease, release, release, button, Qt::NoButton, {});
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &up);
}

// Left and right margins differ by the rounding of the halving at most.
void expectCentred(const QWidget &w, int width)
{
    EXPECT_LE(std::abs(w.parentWidget()->width() - width - 2 * w.x()), 1);
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
    EXPECT_EQ(seen, (QStringList{u"enter"_s, u"leave"_s}));
    const struct {
        QPointF release;
        Qt::MouseButton button;
        bool clicks;
    } table[] = {{{39, 9}, Qt::LeftButton, true},
                 {{40, 5}, Qt::LeftButton, false},
                 {{5, 10}, Qt::LeftButton, false},
                 {{5, 5}, Qt::RightButton, false}};
    for (const auto &row : table) {
        seen.clear();
        click(&link, row.release, row.button);
        EXPECT_EQ(seen.size(), row.clicks ? 1 : 0) << row.release.x() << "," << row.release.y();
    }
}

TEST(AboutWindow, ShowsItsTextsCentredWithNoteAndLinkAsOneLineForAnyNoteLength)
{
    for (const QString &note : {u"Web:"_s, u"A much longer note that pushes the link far to the "
                                           u"right of the window:"_s}) {
        RecordingUrlOpener urls;
        frmAbout about(textsWithNote(note), urls);
        EXPECT_EQ((QStringList{about.windowTitle(), about.lblSoftwareVersion->text(),
                               about.lblSoftwareAuther->text(), about.lblNote->text(),
                               about.lblWebPage->text(), about.cmdOK->text()}),
                  (QStringList{u"text16 Zovarode 3.74"_s, u"Zovarode 3.74"_s, u"text5"_s, note,
                               u"text6"_s, u"text0"_s}));
        for (const QWidget *w : std::initializer_list<const QWidget *>{
                 about.lblSoftwareVersion, about.lblSoftwareAuther, about.cmdOK, about.picMark})
            expectCentred(*w, w->width());
        const QLabel &left = *about.lblNote;
        EXPECT_EQ(about.lblWebPage->x(), left.x() + left.width() + NoteLinkGap);
        expectCentred(left, left.width() + NoteLinkGap + about.lblWebPage->width());
        EXPECT_GE(left.x(), 0) << "the window grows to hold a long note";
        for (const QFrame *line : {about.Line1, about.Line2})
            EXPECT_EQ(line->x() + line->width(), about.width() - line->x());
    }
}

TEST(AboutWindow, LinkLooksPointedAtOnlyWhilePointedAtAndOpensTheAddressKeepingTheWindow)
{
    RecordingUrlOpener urls;
    frmAbout about(textsWithNote(u"Web:"_s), urls);
    LinkLabel *link = about.lblWebPage;
    EXPECT_EQ(link->colour(), frmAbout::RestColour);
    EXPECT_FALSE(link->underlined());
    hover(link);
    EXPECT_EQ(link->colour(), frmAbout::HoverColour);
    EXPECT_TRUE(link->underlined());
    hover(link, false);
    EXPECT_EQ(link->colour(), frmAbout::RestColour);
    EXPECT_FALSE(link->underlined());
    about.show();
    hover(link);
    click(link);
    EXPECT_EQ(urls.opened, QStringList{u"text6"_s});
    EXPECT_FALSE(link->underlined());
    EXPECT_TRUE(about.isVisible());
    about.cmdOK->click();
    EXPECT_FALSE(about.isVisible());
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

TEST(HelpWindow, ShowsItsTextsCentredAndItsLinkOpensTheAddressAndCloses)
{
    RecordingUrlOpener urls;
    frmHelp help(textsWithNote(u"Web:"_s), urls);
    EXPECT_EQ((QStringList{help.windowTitle(), help.Label1->text(), help.lblHelp->text(),
                           help.Label2->text()}),
              (QStringList{u"text17"_s, u"text18"_s, u"text19"_s, u"text20"_s}));
    for (const QLabel *label : {help.Label1, static_cast<QLabel *>(help.lblHelp), help.Label2})
        expectCentred(*label, label->width());
    LinkLabel *link = help.lblHelp;
    EXPECT_EQ(link->colour(), frmHelp::LinkColour);
    hover(link);
    hover(link, false);
    EXPECT_EQ(link->colour(), frmHelp::LinkColour);
    EXPECT_TRUE(link->underlined()) << "the help link stays underlined once pointed at";
    help.show();
    click(link);
    EXPECT_EQ(urls.opened, QStringList{u"text6"_s});
    EXPECT_FALSE(help.isVisible());
    EXPECT_EQ(help.result(), QDialog::Accepted);
}
