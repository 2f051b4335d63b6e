#include "mainwin_fixture.h"
#include "support/typing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTime>
#include <QTimer>

using MainWindowTest = MainWindowFixture;

namespace {
// Orders texts by their width in the window's font.
auto byWidth(const QWidget &window)
{
    return [metrics = window.fontMetrics()](const QString &a, const QString &b) {
        return metrics.horizontalAdvance(a) < metrics.horizontalAdvance(b);
    };
}

void typeSearch(ocxResource &panel, const QString &search)
{
    panel.txtWebsiteURL->selectAll();
    typeKeys(panel.txtWebsiteURL, search);
}

// Lets the panel's timers run for a while.
void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
} // namespace

TEST_F(MainWindowTest, LoadShowsLanguageCaptionsTheGrabCountsAndAnEmptyStrip)
{
    state.grab.PicturesSaved = 7;
    state.grab.PagesCounted = 3;
    frmResource &w = open();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowTitle(), text(114));
    EXPECT_EQ(w.cmdGrabNow->text(), text(56));
    EXPECT_EQ(state.status.grabCaption(), text(56));
    EXPECT_EQ(w.cmdExit->text(), text(57));
    EXPECT_EQ(w.cmdHelp->text(), text(58));
    EXPECT_EQ(w.cmdExit->y(), 252);
    EXPECT_EQ(w.cmdHelp->y(), 282);

    EXPECT_EQ(w.panelText(1), text(65));
    EXPECT_EQ(w.panelText(2), QStringLiteral("7 ") + text(66));
    EXPECT_EQ(w.panelText(3), text(67) + QStringLiteral(" 3"));
    EXPECT_EQ(w.panelText(4), text(71));

    EXPECT_EQ(w.lblThumbViewPage->text(), QStringLiteral("0/0"));
    EXPECT_EQ(w.lblThumbViewPage->y(), 312);
    for (size_t k = 0; k < w.picThumb.size(); ++k) {
        EXPECT_FALSE(w.picThumb[k]->isVisible()) << k;
        EXPECT_FALSE(w.lblThumbView[k]->isVisible()) << k;
    }
    const QPushButton *paging[] = {w.cmdFirst, w.cmdBackward, w.cmdForward, w.cmdLast};
    const int lefts[] = {136, 224, 312, 400};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(paging[i]->text(), text(60 + i));
        EXPECT_EQ(paging[i]->geometry(), QRect(lefts[i], 448, 89, 17));
        EXPECT_FALSE(paging[i]->isEnabled());
    }
    EXPECT_FALSE(w.rect().contains(w.txtDumb->geometry())) << "parked out of sight";
}

TEST_F(MainWindowTest, LoadWhileGrabbingOffersStopAndWhileClosedLeavesTheCounts)
{
    state.grab.Grabbing = true;
    state.status.MainWindowOpen = false;
    frmResource &w = open();
    EXPECT_EQ(w.cmdGrabNow->text(), text(64));
    for (int panel = 1; panel <= 4; ++panel)
        EXPECT_EQ(w.panelText(panel), text(67 + panel)) << panel;
}

TEST_F(MainWindowTest, MissingFolderAtLoadBecomesTheProgramFolderSilently)
{
    state.settings.Download_File_Folder = folder.filePath(QStringLiteral("gone"));
    state.grab.Grabbing = true;
    frmResource &w = open();
    EXPECT_EQ(state.settings.Download_File_Folder, folder.path());
    EXPECT_EQ(state.status.ListedFolder, folder.path());
    EXPECT_EQ(panel().txtFileFolder->text(), folder.path());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(w.panelText(1), text(68)) << "Load ends before the grab counts";
    EXPECT_EQ(w.cmdGrabNow->text(), text(64)) << "a running grab can still be stopped";
}

TEST_F(MainWindowTest, StatusModelAndDriverCaptionReachTheWindow)
{
    frmResource &w = open();
    state.status.showStatus(2, QStringLiteral("5 pictures saved"));
    EXPECT_EQ(w.panelText(2), QStringLiteral("5 pictures saved"));
    state.status.setGrabCaption(text(64));
    EXPECT_EQ(w.cmdGrabNow->text(), text(64));
}

TEST_F(MainWindowTest, PagingCaptionsStatusLinesAndFiveDigitCountsFitInEveryLanguage)
{
    const QString time = QLocale().toString(QTime(23, 59, 59), QLocale::ShortFormat);
    for (const char *file :
         {"english.lan", "francais.lan", "german.lan", "italian.lan", "spanish.lan"}) {
        SCOPED_TRACE(file);
        useLanguageFile(QString::fromLatin1(file));
        frmResource &w = open();
        for (const QPushButton *button : {w.cmdFirst, w.cmdBackward, w.cmdForward, w.cmdLast}) {
            const int caption =
                button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width();
            EXPECT_LE(caption + 8, button->width()) << button->text().toStdString();
            EXPECT_EQ(button->size(), QSize(89, 17));
        }
        state.status.showStatus(2, QStringLiteral("12345 ") +
                                       std::max(text(66), text(69), byWidth(w)));
        state.status.showStatus(3, std::max(text(67), text(70), byWidth(w)) +
                                       QStringLiteral(" 23456"));
        state.status.showStatus(4, QStringLiteral("99999 Kbps"));
        QStringList lines{text(65), text(68), text(77) + u' ' + time, text(109) + u' ' + time};
        for (int id = 79; id <= 85; ++id)
            lines.append(text(id));
        for (const QString &line : lines) {
            state.status.showStatus(1, line);
            QCoreApplication::processEvents();
            for (int panel = 1; panel <= 4; ++panel) {
                const QLabel *label = w.statusPanel(panel);
                EXPECT_GE(label->contentsRect().width() - std::max(0, label->indent()),
                          label->fontMetrics().horizontalAdvance(label->text()))
                    << panel << ": " << label->text().toStdString();
                EXPECT_LE(label->geometry().right(), w.width()) << panel;
            }
        }
    }
}

TEST_F(MainWindowTest, GrabChecksStopAtTheFirstFailureAndStartNothing)
{
    frmResource &w = open();
    for (QCheckBox *box : panel().chkImage)
        box->click();
    panel().txtFileFrom->selectAll();
    typeKeys(panel().txtFileFrom, QStringLiteral("10"));
    panel().txtFileTo->selectAll();
    typeKeys(panel().txtFileTo, QStringLiteral("5"));
    typeSearch(panel(), QString());

    w.cmdGrabNow->click();
    EXPECT_EQ(messageTexts(), QStringList{text(72)});

    panel().chkImage[1]->click();
    w.cmdGrabNow->click();
    EXPECT_EQ(messageTexts().last(),
              text(73) + QStringLiteral(" 10 ") + text(74) + QStringLiteral(" 5 ") + text(75));
    EXPECT_EQ(messageTexts().last(),
              QStringLiteral("The file number range from 10 to 5 is not valid. The \"From\" "
                             "number must not be greater than the \"To\" number."));

    panel().txtFileTo->selectAll();
    typeKeys(panel().txtFileTo, QStringLiteral("50"));
    w.cmdGrabNow->click();
    EXPECT_EQ(messageTexts().last(), text(76));
    EXPECT_EQ(messages.shown.size(), 3u);
    for (const auto &shown : messages.shown)
        EXPECT_EQ(shown.icon, MessageBoxes::Icon::Exclamation);

    EXPECT_EQ(w.cmdGrabNow->text(), text(56));
    EXPECT_EQ(host.timerStarts, 0);
    EXPECT_TRUE(state.grab.LinkList.isEmpty());
    EXPECT_TRUE(state.projects.isEmpty());
    EXPECT_EQ(stored(SettingsStore::ImageKey, QStringLiteral("FileFromNum")), QStringLiteral("1"))
        << "nothing is saved";
    EXPECT_EQ(w.panelText(1), text(65));
}

TEST_F(MainWindowTest, GrabNowBuildsStartAddressProjectFileAndHistoryForEachKindOfSearch)
{
    const QString base = state.language.SearchBaseAddress;
    const QString suffix = QStringLiteral("&start=0&sa=N");
    const struct {
        QString typed;
        bool keyword;
        QString search; // as the history stores it
        QString start;
        QString project;
        QString siteRoot;
    } table[] = {
        {QStringLiteral("red car"), true, QStringLiteral("red car"), base + u"red+car" + suffix,
         QStringLiteral("red_car"), QString()},
        {QStringLiteral("example.com/pics/"), false, QStringLiteral("http://www.example.com/pics/"),
         QStringLiteral("http://www.example.com/pics/"), QStringLiteral("example_com_pics_"),
         QStringLiteral("http://www.example.com")},
        {QStringLiteral("https://secure.example.org/a"), false,
         QStringLiteral("https://www.secure.example.org/a"),
         QStringLiteral("https://www.secure.example.org/a"), QStringLiteral("secure_example_org_a"),
         QStringLiteral("https://www.secure.example.org")},
        {QStringLiteral("192.168.1.20/gallery"), false,
         QStringLiteral("http://192.168.1.20/gallery"),
         QStringLiteral("http://192.168.1.20/gallery"),
         QStringLiteral("http:__192_168_1_20_gallery"), QStringLiteral("http://192.168.1.20")},
        {QStringLiteral("http://localhost:8000/index.html"), false,
         QStringLiteral("http://localhost:8000/index.html"),
         QStringLiteral("http://localhost:8000/index.html"),
         QStringLiteral("http:__localhost:8000_index_html"),
         QStringLiteral("http://localhost:8000")},
    };
    frmResource &w = open();
    state.settings.FileToNum = 77; // saved by the start
    int started = 0;
    for (const auto &row : table) {
        SCOPED_TRACE(row.typed.toStdString());
        typeSearch(panel(), row.typed);
        state.grab.SiteRoot = QStringLiteral("untouched");
        state.grab.ResultPageSeen = true;
        state.grab.PicturesSaved = 4;

        w.cmdGrabNow->click();
        ASSERT_TRUE(messages.shown.empty());
        EXPECT_EQ(state.grab.KeywordSearchMode, row.keyword);
        ASSERT_EQ(state.grab.LinkList.count(), 1);
        EXPECT_EQ(state.grab.LinkList.at(0).Address, row.start);
        EXPECT_EQ(state.grab.LinkList.at(0).Depth, 0);
        EXPECT_EQ(state.grab.ProjectFilePath, folder.path() + u'/' + row.project + u".txt");
        EXPECT_EQ(state.grab.SiteRoot, row.keyword ? QStringLiteral("untouched") : row.siteRoot);
        EXPECT_EQ(state.grab.ResultPageSeen, !row.keyword);
        EXPECT_EQ(state.grab.PicturesSaved, 0);
        EXPECT_EQ(values.SearchText, row.search);
        EXPECT_EQ(state.projects.first(), row.search);
        EXPECT_EQ(panel().cmbSearchedSite->currentText(), row.search);
        EXPECT_EQ(panel().txtWebsiteURL->text(), row.search) << "the history shows it back";
        EXPECT_EQ(stored(SettingsStore::ResSettingKey, QStringLiteral("Project1")), row.search);

        EXPECT_EQ(w.cmdGrabNow->text(), text(64));
        EXPECT_EQ(state.status.grabCaption(), text(64));
        EXPECT_EQ(host.timerStarts, ++started);
        EXPECT_TRUE(w.panelText(1).startsWith(text(77) + u' '));
        EXPECT_GT(w.panelText(1).size(), text(77).size() + 1) << "with the time of day";
        EXPECT_EQ(w.panelText(2), QStringLiteral("0 ") + text(69));
        EXPECT_EQ(w.panelText(3), text(70) + QStringLiteral(" 0"));
        EXPECT_EQ(stored(SettingsStore::ImageKey, QStringLiteral("FileToNum")),
                  QStringLiteral("77"));

        w.cmdGrabNow->click(); // stop before the next row
        EXPECT_EQ(w.cmdGrabNow->text(), text(56));
    }
    EXPECT_EQ(state.projects.size(), static_cast<qsizetype>(std::size(table)));
    EXPECT_EQ(stored(SettingsStore::ResSettingKey, QStringLiteral("ProjectNum")),
              QString::number(std::size(table)));
}

TEST_F(MainWindowTest, SecondPressWhileGrabbingOnlyStops)
{
    frmResource &w = open();
    typeSearch(panel(), QStringLiteral("cats"));
    w.cmdGrabNow->click();
    state.grab.Grabbing = true; // the driver runs
    state.grab.StopRequested = false;
    const ProjectList history = state.projects;
    for (QCheckBox *box : panel().chkImage)
        box->click(); // a check that would fail is not run
    typeSearch(panel(), QStringLiteral("dogs"));

    w.cmdGrabNow->click();
    EXPECT_TRUE(state.grab.StopRequested);
    EXPECT_EQ(w.cmdGrabNow->text(), text(56));
    EXPECT_EQ(state.status.grabCaption(), text(56)) << "the driver reads the caption here";
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(state.projects, history);
    EXPECT_EQ(state.grab.LinkList.at(0).Address,
              state.language.SearchBaseAddress + QStringLiteral("cats&start=0&sa=N"));
    EXPECT_EQ(host.timerStarts, 1);
    EXPECT_EQ(host.startsCancelled, 1) << "a driver start still waiting is dropped";
}

TEST_F(MainWindowTest, PressWhileAStoppedGrabWindsDownIsIgnored)
{
    frmResource &w = open();
    typeSearch(panel(), QStringLiteral("cats"));
    w.cmdGrabNow->click();
    state.grab.Grabbing = true;
    w.cmdGrabNow->click(); // stop; the driver has not noticed yet
    typeSearch(panel(), QStringLiteral("dogs"));

    w.cmdGrabNow->click();
    EXPECT_EQ(w.cmdGrabNow->text(), text(56));
    EXPECT_EQ(state.projects, ProjectList{QStringLiteral("cats")});
    EXPECT_TRUE(state.grab.StopRequested);
    EXPECT_EQ(host.timerStarts, 1);

    state.grab.Grabbing = false; // the driver has ended
    w.cmdGrabNow->click();
    EXPECT_EQ(w.cmdGrabNow->text(), text(64));
    EXPECT_EQ(state.projects.first(), QStringLiteral("dogs"));
    EXPECT_EQ(host.timerStarts, 2);
}

TEST_F(MainWindowTest, HideWaitsForTheThumbnailRebuildAndHelpAsksTheHost)
{
    frmResource &w = open();
    int hideRequests = 0;
    QObject::connect(&w, &frmResource::cmdExitClicked, [&hideRequests] { ++hideRequests; });

    host.refreshEnabled = false;
    w.cmdExit->click();
    w.close();
    EXPECT_EQ(hideRequests, 0);
    EXPECT_TRUE(w.cmdExit->isEnabled());
    EXPECT_TRUE(w.isVisible());

    host.refreshEnabled = true;
    w.cmdExit->click();
    EXPECT_EQ(hideRequests, 1);
    w.close();
    EXPECT_EQ(hideRequests, 2) << "the title bar's close button hides as well";
    EXPECT_TRUE(w.isVisible()) << "the owner unloads the window";

    w.cmdHelp->click();
    EXPECT_EQ(host.helpShown, 1);
}

TEST_F(MainWindowTest, WiderWindowCentresTheStripAsOneAndKeepsTheStatusBarBelow)
{
    frmResource &w = open();
    EXPECT_EQ(w.lblThumbViewPage->x(), (w.width() - w.lblThumbViewPage->width()) / 2);
    EXPECT_LT(w.cmdHelp->geometry().bottom() + 1, frmResource::StripTop) << "a gap above the strip";
    w.picThumb[0]->move(25, 328);
    const QPoint commands = w.cmdExit->pos();
    for (const int width : {900, 632}) {
        SCOPED_TRACE(width);
        w.resize(width, 600);
        const int shift = (width - 632) / 2;
        EXPECT_EQ(w.lblThumbViewPage->x(), (width - w.lblThumbViewPage->width()) / 2);
        EXPECT_EQ(w.lblThumbViewPage->y(), 312);
        EXPECT_EQ(w.cmdFirst->pos(), QPoint(136 + shift, 448));
        EXPECT_EQ(w.cmdLast->pos(), QPoint(400 + shift, 448));
        EXPECT_EQ(w.picThumb[0]->pos(), QPoint(25 + shift, 328));
        EXPECT_EQ(w.sbThumbViewStatus->geometry().bottom(), 599);
        EXPECT_EQ(w.sbThumbViewStatus->width(), width);
        EXPECT_EQ(w.cmdExit->pos(), commands) << "the commands stay";
    }
}

TEST_F(MainWindowTest, LanguageTextsWithMarkupShowLiterally)
{
    const QString markup = QStringLiteral("<b>bold</b><img src=/dev/zero>");
    QByteArray file;
    for (int i = 0; i < LanguageText::Count; ++i)
        file += QByteArray::number(i) + ' ' + markup.toUtf8() + "\r\n";
    const QString path = folder.filePath(QStringLiteral("english.lan"));
    QFile lan(path);
    ASSERT_TRUE(lan.open(QIODevice::WriteOnly));
    lan.write(file);
    lan.close();
    ASSERT_EQ(loadLanguage(folder.path(), listing, state.language), LanguageLoadResult::Loaded);
    frmResource &w = open();
    int shown = 0;
    for (const QLabel *label : w.findChildren<QLabel *>()) {
        if (!label->text().contains(markup))
            continue;
        ++shown;
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
    }
    EXPECT_GE(shown, 15) << "the panel's labels and the status panels";
}

TEST_F(MainWindowTest, HistoryAddPickAndDeleteReachTheSettingsFile)
{
    state.projects = {QStringLiteral("e0"), QStringLiteral("e1"), QStringLiteral("e2"),
                      QStringLiteral("e3"), QStringLiteral("e4")};
    state.store.SaveProjectList(state.settings, state.projects);
    frmResource &w = open();
    QComboBox *box = panel().cmbSearchedSite;
    EXPECT_EQ(box->count(), 5);
    EXPECT_EQ(box->currentText(), QStringLiteral("e0"));
    EXPECT_EQ(panel().txtWebsiteURL->text(), QStringLiteral("e0"));
    EXPECT_TRUE(panel().cmdDelete->isEnabled());

    // The user picks entry 3.
    box->setCurrentIndex(3);
    Q_EMIT box->activated(3);
    const ProjectList picked = {QStringLiteral("e3"), QStringLiteral("e0"), QStringLiteral("e1"),
                                QStringLiteral("e2"), QStringLiteral("e4")};
    EXPECT_EQ(state.projects, picked);
    EXPECT_EQ(panel().txtWebsiteURL->text(), QStringLiteral("e3"));
    EXPECT_EQ(values.SearchText, QStringLiteral("e3"));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(box->itemText(i), picked[i]);
    EXPECT_EQ(stored(SettingsStore::ResSettingKey, QStringLiteral("Project1")),
              QStringLiteral("e0"))
        << "a pick is not stored";
    ASSERT_TRUE(panel().tmrText.isActive());
    box->setCurrentIndex(2);
    waitMs(60);
    EXPECT_FALSE(panel().tmrText.isActive());
    EXPECT_EQ(box->currentIndex(), 0) << "the timer shows the first entry again";

    // Grabbing a search already in the history keeps the order.
    w.cmdGrabNow->click();
    EXPECT_EQ(state.projects, picked);
    EXPECT_EQ(stored(SettingsStore::ResSettingKey, QStringLiteral("Project1")),
              QStringLiteral("e0"));
    w.cmdGrabNow->click();

    // Delete stores the list in its new order.
    box->setCurrentIndex(1);
    panel().cmdDelete->click();
    EXPECT_EQ(state.projects, (ProjectList{QStringLiteral("e3"), QStringLiteral("e1"),
                                           QStringLiteral("e2"), QStringLiteral("e4")}));
    EXPECT_EQ(box->currentText(), QStringLiteral("e3"));
    EXPECT_EQ(stored(SettingsStore::ResSettingKey, QStringLiteral("Project1")),
              QStringLiteral("e3"));
    EXPECT_EQ(stored(SettingsStore::ResSettingKey, QStringLiteral("Project4")),
              QStringLiteral("e4"));
    EXPECT_EQ(stored(SettingsStore::ResSettingKey, QStringLiteral("Project5")),
              QStringLiteral("<none>"));
    EXPECT_EQ(stored(SettingsStore::ResSettingKey, QStringLiteral("ProjectNum")),
              QStringLiteral("4"));
}

TEST_F(MainWindowTest, DeletingTheOnlyEntryEmptiesTheBoxAndStoresNoEntry)
{
    state.settings.NeverUpgrade = 1;
    state.projects = {QStringLiteral("solo")};
    state.store.SaveProjectList(state.settings, state.projects);
    open();
    panel().cmdDelete->click();
    EXPECT_EQ(panel().cmbSearchedSite->count(), 0);
    EXPECT_TRUE(state.projects.isEmpty());
    EXPECT_TRUE(panel().cmdDelete->isEnabled()) << "it stays enabled";
    EXPECT_EQ(panel().txtWebsiteURL->text(), QStringLiteral("solo"));
    EXPECT_EQ(stored(SettingsStore::ResSettingKey, QStringLiteral("ProjectNum")),
              QStringLiteral("0"));
    EXPECT_EQ(stored(SettingsStore::ResSettingKey, QStringLiteral("Project1")),
              QStringLiteral("<none>"));
    EXPECT_EQ(stored(SettingsStore::ResSettingKey, QStringLiteral("Download_File_Name")),
              QStringLiteral("Catch"));
    EXPECT_EQ(stored(SettingsStore::ResSettingKey, QStringLiteral("NeverUpgrade")),
              QStringLiteral("1"))
        << "rewriting the history keeps the choice to skip the version check";

    panel().cmdDelete->click();
    EXPECT_TRUE(state.projects.isEmpty()) << "deleting from an empty box changes nothing";
}
