#include "core/language_table.h"
#include "platform/message_box_dialogs.h"
#include "shell/about_window.h"
#include "shell/help_window.h"
#include "shell/qt_translations.h"
#include "support/fakes.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace {
const QString Markup = QStringLiteral("<b>bold</b><img src=/dev/zero>");
} // namespace

TEST(PlainText, LanguageTextsWithMarkupShowLiterallyInTheAboutAndHelpWindows)
{
    LanguageText texts;
    for (int i = 0; i < LanguageText::Count; ++i)
        texts.set(i, Markup);
    RecordingUrlOpener urls;
    frmAbout about(texts, urls);
    frmHelp help(texts, urls);
    for (QWidget *window : {static_cast<QWidget *>(&about), static_cast<QWidget *>(&help)}) {
        int shown = 0;
        for (const QLabel *label : window->findChildren<QLabel *>()) {
            if (label->text() != Markup)
                continue;
            ++shown;
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
        }
        EXPECT_GE(shown, 3) << window->objectName().toStdString();
    }
}

TEST(PlainText, MessageBoxesShowTheirTextLiterally)
{
    Qt::TextFormat format = Qt::AutoText;
    QString text;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        format = box->textFormat();
        text = box->text();
        box->close();
    });
    MessageBoxDialogs().showMessage(Markup, MessageBoxes::Icon::Exclamation);
    EXPECT_EQ(text, Markup);
    EXPECT_EQ(format, Qt::PlainText);
}

TEST(QtTranslations, FolderPickerSpeaksTheLanguageOfTheLanguageFile)
{
    const QString lookIn = QStringLiteral("Look in:");
    for (const char *file : {"francais.lan", "german.lan", "italian.lan", "spanish.lan"}) {
        SCOPED_TRACE(file);
        const QtTranslations translations{QString::fromLatin1(file)};
        EXPECT_TRUE(translations.installed());
        EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), lookIn);
    }
    for (const char *file : {"english.lan", "klingon.lan"}) {
        SCOPED_TRACE(file);
        const QtTranslations translations{QString::fromLatin1(file)};
        EXPECT_FALSE(translations.installed());
        EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), lookIn);
    }
}
