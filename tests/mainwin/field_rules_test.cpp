#include "mainwin/field_rules.h"

#include <gtest/gtest.h>

TEST(FieldRules, LimitFieldKeepsNumbersCapsAtTheMaximumAndRestoresEverythingElse)
{
    const QString previous = QStringLiteral("120");
    const struct {
        const char *typed;
        const char *kept;
        int value;
    } table[] = {
        {"2049", "2048", 2048}, {" 64 ", " 64 ", 64}, {"2.5", "2.5", 2},  {"3.5", "3.5", 4},
        {"1e3", "1e3", 1000},   {"0.9", "120", 120},  {"-5", "120", 120}, {"inf", "120", 120},
    };
    for (const auto &row : table) {
        SCOPED_TRACE(row.typed);
        const QString kept = limitFieldText(QString::fromUtf8(row.typed), previous, 2048);
        EXPECT_EQ(kept, QString::fromUtf8(row.kept));
        EXPECT_EQ(limitFieldValue(kept, 2048), row.value);
    }
}

TEST(FieldRules, LimitValueOfARestoredTextStaysWithinTheField)
{
    // A text restored from another field need not be a number at all.
    EXPECT_EQ(limitFieldValue(QStringLiteral("Catch"), 2048), 0);
    EXPECT_EQ(limitFieldValue(QStringLiteral("40pics"), 2048), 40);
    EXPECT_EQ(limitFieldValue(QStringLiteral("99999abc"), 2048), 2048);
    EXPECT_EQ(limitFieldValue(QStringLiteral("99999999999abc"), 10240), 10240);
}

TEST(FieldRules, FileNumbersFromZeroTo9999AreAcceptedRoundedHalfToEven)
{
    using Kind = FileNumberCheck::Kind;
    const struct {
        const char *typed;
        Kind kind;
        qint32 value;
    } table[] = {
        {"0", Kind::Accepted, 0},      {"9999", Kind::Accepted, 9999},
        {" 42 ", Kind::Accepted, 42},  {"9998.5", Kind::Accepted, 9998},
        {"1e3", Kind::Accepted, 1000}, {"9999.5", Kind::OutOfRange, 0},
        {"-0.5", Kind::OutOfRange, 0}, {"1 2", Kind::NotANumber, 0},
    };
    for (const auto &row : table) {
        SCOPED_TRACE(row.typed);
        const FileNumberCheck check = checkFileNumber(QString::fromUtf8(row.typed));
        EXPECT_EQ(check.kind, row.kind);
        if (row.kind == Kind::Accepted) {
            EXPECT_EQ(check.value, row.value);
        }
    }
}

TEST(FieldRules, FileNameOfLettersAndDigitsOnlyNeverTakesARememberedPath)
{
    const QString previous = QStringLiteral("Dogs");
    const QString stored = QStringLiteral("Cats");
    for (const char *refused : {"pic-", "a.b", "../x", "Bär", "tab\t"}) {
        SCOPED_TRACE(refused);
        EXPECT_EQ(fileNameText(QString::fromUtf8(refused), previous, stored), previous);
    }
    EXPECT_EQ(fileNameText(QStringLiteral("a b"), QString(), stored), QStringLiteral("Catch"));
    // The remembered text can come from the folder button or a limit field.
    EXPECT_EQ(fileNameText(QStringLiteral("a b"), QStringLiteral("/home/me/pictures"), stored),
              stored);
    EXPECT_EQ(fileNameText(QStringLiteral("x!"), QStringLiteral("1.5"), stored), stored);
}
