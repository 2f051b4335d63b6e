#include "core/text_forms.h"

#include <QStringDecoder>

#include <cmath>
#include <limits>

namespace {
std::optional<double> numberFromText(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

template <typename Int> std::optional<Int> roundedToInt(double value)
{
    // std::nearbyint rounds half to even in the default rounding mode.
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<Int>::min() || rounded > std::numeric_limits<Int>::max())
        return std::nullopt;
    return static_cast<Int>(rounded);
}

template <typename Int> std::optional<Int> intFromText(const QString &text)
{
    const std::optional<double> value = numberFromText(text);
    if (!value)
        return std::nullopt;
    return roundedToInt<Int>(*value);
}
} // namespace

QString textFromBool(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString textFromInt(qint64 value)
{
    return QString::number(value);
}

std::optional<bool> boolFromText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(u"true", Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(u"false", Qt::CaseInsensitive) == 0)
        return false;
    const std::optional<double> number = numberFromText(trimmed);
    if (!number)
        return std::nullopt;
    return *number != 0.0;
}

std::optional<qint16> int16FromText(const QString &text)
{
    return intFromText<qint16>(text);
}

std::optional<qint32> int32FromText(const QString &text)
{
    return intFromText<qint32>(text);
}

double numberFromPrefix(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    const qsizetype mantissaStart = i;
    while (i < n && text[i].isDigit())
        ++i;
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && text[i].isDigit())
            ++i;
    }
    const qsizetype mantissaLength = i - mantissaStart;
    if (mantissaLength == 0 || (mantissaLength == 1 && text[mantissaStart] == u'.'))
        return 0;
    // An exponent counts only when digits follow it.
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        const qsizetype exponentDigits = j;
        while (j < n && text[j].isDigit())
            ++j;
        if (j > exponentDigits)
            i = j;
    }
    return numberFromText(text.mid(start, i - start)).value_or(0);
}

qint16 int16FromNumericPrefix(const QString &text)
{
    return roundedToInt<qint16>(numberFromPrefix(text)).value_or(0);
}

QString textFromBytes(const QByteArray &bytes)
{
    // Stateless: a sequence cut off at the end is an error, not held back for more bytes.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}
