#include "mainwin/field_rules.h"

#include "core/text_forms.h"

#include <algorithm>
#include <cmath>

std::optional<double> numberOf(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString limitFieldText(const QString &text, const QString &previousText, int maximum)
{
    const std::optional<double> value = numberOf(text);
    if (!value || *value < 1)
        return previousText;
    if (*value > maximum)
        return QString::number(maximum);
    return text;
}

int limitFieldValue(const QString &text, int maximum)
{
    // The text can be one restored from another field, such as a long file name of digits,
    // so the value is kept within what the field accepts.
    const double rounded = std::nearbyint(numberFromPrefix(text));
    return static_cast<int>(std::clamp(rounded, 0.0, static_cast<double>(maximum)));
}

FileNumberCheck checkFileNumber(const QString &text)
{
    const std::optional<double> value = numberOf(text);
    if (!value)
        return {FileNumberCheck::Kind::NotANumber};
    if (*value < 0 || *value > LargestFileNumber)
        return {FileNumberCheck::Kind::OutOfRange};
    return {FileNumberCheck::Kind::Accepted, static_cast<qint32>(std::nearbyint(*value))};
}

bool isPlainName(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar ch) {
        return (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z') ||
               (ch >= u'0' && ch <= u'9');
    });
}

QString fileNameText(const QString &text, const QString &previousText, const QString &storedName)
{
    for (const QString &candidate : {text, previousText}) {
        if (isPlainName(candidate))
            return candidate.isEmpty() ? DefaultFileName : candidate;
    }
    return storedName;
}
