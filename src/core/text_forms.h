#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The text forms of stored values: Booleans as "True"/"False", integers in decimal.
QString textFromBool(bool value);
QString textFromInt(qint64 value);

// "True" or "False" in any case, or a decimal number (0 false, any other true).
std::optional<bool> boolFromText(const QString &text);

// A decimal number, blanks around it allowed, a fraction rounded half to even; nothing when
// the text is not a number or the value does not fit the type.
std::optional<qint16> int16FromText(const QString &text);
std::optional<qint32> int32FromText(const QString &text);

// The longest numeric prefix after leading blanks (sign, digits, a fraction, an exponent);
// 0 when the text does not begin with a number.
double numberFromPrefix(const QString &text);

// The longest numeric prefix after leading blanks, rounded half to even to 16 bits. An empty
// or non-numeric text, or one out of range, gives 0.
qint16 int16FromNumericPrefix(const QString &text);

// Text from bytes: UTF-8, or Latin-1 (one character per byte) when the bytes are not valid
// UTF-8.
QString textFromBytes(const QByteArray &bytes);
