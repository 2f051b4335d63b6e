#pragma once

#include <QString>

#include <optional>

// The checks that the fields of the settings panel apply on every change of their text.

// The value of a text that reads as a number: blanks around it, a sign, a fraction and an
// exponent are allowed. Nothing for any other text, the empty one included.
std::optional<double> numberOf(const QString &text);

// The text a limit field keeps: a number of at least 1 stays, one above the maximum becomes
// the maximum, and anything else is refused in favour of previousText.
QString limitFieldText(const QString &text, const QString &previousText, int maximum);

// The value stored for a limit field's text: its leading number rounded half to even, 0
// without one, and never beyond 0..maximum.
int limitFieldValue(const QString &text, int maximum);

// The outcome of a file number field's text.
struct FileNumberCheck {
    enum class Kind { Accepted, OutOfRange, NotANumber };
    Kind kind;
    qint32 value = 0; // when accepted
};
inline constexpr qint32 LargestFileNumber = 9999;
FileNumberCheck checkFileNumber(const QString &text);

// The text a file name field keeps: letters A-Z and a-z and digits only, else previousText
// whole; an empty result becomes "Catch". The remembered text may come from another field,
// even the folder field; when it is no plain name either, the name stored before stays, so
// that a file name never holds a path.
QString fileNameText(const QString &text, const QString &previousText,
                     const QString &storedName);
// True when every character is an ASCII letter or digit.
bool isPlainName(const QString &text);
inline const QString DefaultFileName = QStringLiteral("Catch");
