#include "core/language_table.h"
#include "core/text_ids.h"
#include "platform/message_box_dialogs.h"
#include "platform/product.h"
#include "shell/about_window.h"
#include "shell/centring.h"
#include "shell/help_window.h"
#include "shell/link_label.h"
#include "shell/qt_translations.h"
#include "shell/upgrade_dialog.h"
#include "support/fakes.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFrame>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace Qt::StringLiterals;

namespace {
// Each text is its number in markup, so that a text in the wrong place, or shown as markup,
// shows; the note can be made long.
QString numbered(int id)
{
    return u"<b>%1</b>"_s.arg(id);
}

LanguageText numberedTexts(const QString &note = numbered(TextId::AboutNote))
{
    LanguageText t;
    for (int i = 0; i < LanguageText::Count; ++i)
        t.set(i, numbered(i));
    t.set(TextId::AboutNote, note);
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

// The texts of the widgets, and every label with a text shows it literally.
QStringList textsOf(const QWidget &window, std::initializer_list<const QWidget *> widgets)
{
    for (const QLabel *label : window.findChildren<QLabel *>())
        EXPECT_TRUE(label->text().isEmpty() || label->textFormat() == Qt::PlainText);
    QStringList texts{window.windowTitle()};
    for (const QWidget *w : widgets)
        texts.append(w->property("text").toString());
    return texts;
}

// Left and right margins differ by the rounding of the halving at most.
void expectCentred(const QWidget &w, int width)
{
    EXPECT_LE(std::abs(w.parentWidget()->width() - width - 2 * w.x()), 1) << w.x();
}

double contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &colour) {
        const auto channel = [](double c) {
            return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
               0.0722 * channel(colour.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
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
    for (const QString &note : {u"Web:"_s, QString(120, u'n')}) {
        RecordingUrlOpener urls;
        frmAbout about(numberedTexts(note), urls);
        using namespace TextId;
        EXPECT_EQ(
            textsOf(about, {about.lblSoftwareVersion, about.lblSoftwareAuther, about.lblNote,
                            about.lblWebPage, about.cmdOK}),
            (QStringList{numbered(AboutCaption) + u' ' + productTitle(), productTitle(),
                         numbered(AuthorLine), note, numbered(WebAddress), numbered(OkCaption)}));
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

TEST(AboutWindow, LinkLooksPointedAtOnlyWhilePointedAtReadsWellAndOpensTheAddress)
{
    RecordingUrlOpener urls;
    frmAbout about(numberedTexts(), urls);
    about.show();
    LinkLabel *link = about.lblWebPage;
    const struct {
        const char *step;
        std::function<void()> act;
        QColor colour;
        bool underlined;
    } steps[] = {{"at rest", [] {}, frmAbout::RestColour, false},
                 {"entered", [&] { hover(link); }, frmAbout::HoverColour, true},
                 {"left", [&] { hover(link, false); }, frmAbout::RestColour, false},
                 {"clicked", [&] { hover(link), click(link); }, frmAbout::HoverColour, false}};
    for (const auto &s : steps) {
        s.act();
        EXPECT_EQ(link->colour(), s.colour) << s.step;
        EXPECT_EQ(link->underlined(), s.underlined) << s.step;
        const QPalette &ground = link->autoFillBackground() ? link->palette() : about.palette();
        EXPECT_GE(contrast(link->colour(), ground.color(QPalette::Window)), 4.5) << s.step;
    }
    EXPECT_EQ(urls.opened, QStringList{numbered(TextId::WebAddress)});
    EXPECT_TRUE(about.isVisible());
    about.cmdOK->click();
    EXPECT_FALSE(about.isVisible());
}

TEST(HelpWindow, ShowsItsTextsCentredAndItsLinkOpensTheAddressAndCloses)
{
    RecordingUrlOpener urls;
    frmHelp help(numberedTexts(), urls);
    using namespace TextId;
    EXPECT_EQ(textsOf(help, {help.Label1, help.lblHelp, help.Label2}),
              (QStringList{numbered(HelpWindowCaption), numbered(HelpHeading), numbered(HelpLink),
                           numbered(HelpNotice)}));
    for (const QLabel *label : {help.Label1, static_cast<QLabel *>(help.lblHelp), help.Label2})
        expectCentred(*label, label->width());
    LinkLabel *link = help.lblHelp;
    EXPECT_FALSE(link->underlined());
    hover(link);
    hover(link, false);
    EXPECT_EQ(link->colour(), frmHelp::LinkColour);
    EXPECT_TRUE(link->underlined()) << "the help link stays underlined once pointed at";
    help.show();
    click(link);
    EXPECT_EQ(urls.opened, QStringList{numbered(WebAddress)});
    EXPECT_FALSE(help.isVisible());
    EXPECT_EQ(help.result(), QDialog::Accepted);
}

TEST(MessageBoxDialogs, ShowTheirTextLiterally)
{
    QString shown;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        shown = box->text();
        box->close();
    });
    MessageBoxDialogs().showMessage(numbered(1), MessageBoxes::Icon::Exclamation);
    EXPECT_EQ(shown, numbered(1));
}

TEST(QtTranslations, FolderPickerSpeaksTheLanguageOfTheLanguageFile)
{
    const QString lookIn = u"Look in:"_s;
    for (const char *file :
         {"francais.lan", "german.lan", "italian.lan", "spanish.lan", "english.lan", "x.lan"}) {
        const QtTranslations translations{QString::fromLatin1(file)};
        const bool english = QByteArray(file) == "english.lan" || QByteArray(file) == "x.lan";
        EXPECT_EQ(translations.installed(), !english) << file;
        EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:") == lookIn, english)
            << file;
    }
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
        EXPECT_EQ(process.ended, now);
        EXPECT_EQ(process.code, now ? 0 : -1);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(dialog.isNull(), !now) << "the window closes and goes";
        delete dialog.data();
    }
}
