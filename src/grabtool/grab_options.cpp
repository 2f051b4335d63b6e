#include "grabtool/grab_options.h"

#include <QCommandLineParser>
#include <QDir>

#include <limits>
#include <optional>

namespace {
const QString Description = QStringLiteral(
    "Grabs the pictures of a website, or of an image search for a keyword, into a folder,\n"
    "without a window. Exit status: 0 finished (or stopped at the end of the number range),\n"
    "1 bad options, 2 network lost, 3 folder not writable, 130 interrupted (Ctrl+C; the\n"
    "project file is written, and --resume goes on from there).");

const QStringList FormatNames{QStringLiteral("gif"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
                              QStringLiteral("bmp"), QStringLiteral("png")};

struct Parser {
    QCommandLineParser parser;
    QString error;

    bool isSet(const char *name) const { return parser.isSet(QString::fromLatin1(name)); }
    QString value(const char *name) const { return parser.value(QString::fromLatin1(name)); }

    // A whole number from minimum to maximum, or nothing with error set.
    std::optional<qint64> number(const char *name, qint64 minimum, qint64 maximum)
    {
        bool ok = false;
        const qint64 number = value(name).trimmed().toLongLong(&ok);
        if (ok && number >= minimum && number <= maximum)
            return number;
        error = QStringLiteral("--%1: '%2' is not a whole number from %3 to %4")
                    .arg(QString::fromLatin1(name), value(name))
                    .arg(minimum)
                    .arg(maximum);
        return std::nullopt;
    }

    // Sets field when the option is given; false on an error.
    template <typename Field> bool setNumber(const char *name, Field &field, qint64 minimum = 0)
    {
        if (!isSet(name))
            return true;
        const auto number = this->number(name, minimum, std::numeric_limits<Field>::max());
        if (number)
            field = static_cast<Field>(*number);
        return number.has_value();
    }
};

bool applyFormats(Parser &p, Settings &settings)
{
    if (!p.isSet("formats"))
        return true;
    QStringList formats;
    for (const QString &format : p.value("formats").toLower().split(u',', Qt::SkipEmptyParts)) {
        if (!format.trimmed().isEmpty())
            formats.append(format.trimmed());
    }
    for (const QString &format : formats) {
        if (!FormatNames.contains(format)) {
            p.error = QStringLiteral("--formats: unknown format '%1' (use %2)")
                          .arg(format, FormatNames.join(u','));
            return false;
        }
    }
    if (formats.isEmpty()) {
        p.error = QStringLiteral("--formats: name at least one of %1").arg(FormatNames.join(u','));
        return false;
    }
    const auto has = [&formats](const char16_t *name) {
        return formats.contains(QString::fromUtf16(name));
    };
    settings.GIF_Download = has(u"gif");
    settings.JPG_Download = has(u"jpg");
    settings.JPEG_Download = has(u"jpeg");
    settings.BMP_Download = has(u"bmp");
    settings.PNG_Download = has(u"png");
    return true;
}

bool apply(Parser &p, GrabOptions &options)
{
    if (!p.parser.positionalArguments().isEmpty()) {
        p.error = QStringLiteral("unexpected argument '%1'")
                      .arg(p.parser.positionalArguments().constFirst());
        return false;
    }
    if (!p.isSet("folder") || p.value("folder").isEmpty()) {
        p.error = QStringLiteral("--folder is required");
        return false;
    }
    if (p.isSet("site") == p.isSet("keyword")) {
        p.error = QStringLiteral("give either --site or --keyword");
        return false;
    }
    options.searchText = p.isSet("site") ? p.value("site") : p.value("keyword");
    if (options.searchText.trimmed().isEmpty()) {
        p.error = QStringLiteral("--%1 is empty")
                      .arg(QLatin1String(p.isSet("site") ? "site" : "keyword"));
        return false;
    }

    Settings &settings = options.settings;
    settings.Download_File_Folder = QDir(p.value("folder")).absolutePath();
    if (p.isSet("name")) {
        settings.Download_File_Name = p.value("name");
        if (settings.Download_File_Name.isEmpty() || settings.Download_File_Name.contains(u'/')) {
            p.error = QStringLiteral("--name: '%1' is not a file name").arg(p.value("name"));
            return false;
        }
    }
    if (!p.setNumber("from", settings.FileFromNum) || !p.setNumber("to", settings.FileToNum))
        return false;
    if (settings.FileToNum < settings.FileFromNum) {
        p.error = QStringLiteral("--to (%1) is below --from (%2)")
                      .arg(settings.FileToNum)
                      .arg(settings.FileFromNum);
        return false;
    }
    settings.FileOverwrite = !p.isSet("no-overwrite");
    settings.Limited_Images_Size = p.isSet("min-size");
    settings.Limited_Images_Resolution = p.isSet("min-width") || p.isSet("min-height");
    if (settings.Limited_Images_Resolution) {
        // A limit on one side only leaves the other without one.
        settings.Images_Width = 0;
        settings.Images_Height = 0;
    }
    if (!p.setNumber("min-size", settings.Images_File_Size) ||
        !p.setNumber("min-width", settings.Images_Width) ||
        !p.setNumber("min-height", settings.Images_Height))
        return false;
    settings.StayOnSameSite = p.isSet("same-site");
    if (p.isSet("connections")) {
        const auto connections = p.number("connections", 1, MostConnectionsPerHost);
        if (!connections)
            return false;
        settings.Connections_Per_Host = qint16(*connections);
    }
    if (!applyFormats(p, settings))
        return false;

    if (p.isSet("search-base")) {
        options.searchBase = p.value("search-base");
        if (!options.searchBase.startsWith(u"http://") &&
            !options.searchBase.startsWith(u"https://")) {
            p.error = QStringLiteral("--search-base: '%1' is not an http or https address")
                          .arg(options.searchBase);
            return false;
        }
    }
    options.resume = p.isSet("resume");
    options.json = p.isSet("json");
    options.quiet = p.isSet("quiet");
    return true;
}
} // namespace

ParsedCommandLine parseCommandLine(const QStringList &arguments)
{
    Parser p;
    QCommandLineParser &parser = p.parser;
    parser.setApplicationDescription(Description);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and ends."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Shows the version and ends."));
    parser.addOptions({
        help,
        version,
        {QStringLiteral("site"), QStringLiteral("Website to crawl, from this address."),
         QStringLiteral("ADDRESS")},
        {QStringLiteral("keyword"), QStringLiteral("Keyword to search pictures for."),
         QStringLiteral("TEXT")},
        {QStringLiteral("folder"),
         QStringLiteral("Picture folder; created when missing. Required."), QStringLiteral("DIR")},
        {QStringLiteral("name"), QStringLiteral("File name prefix (default Catch)."),
         QStringLiteral("PREFIX")},
        {QStringLiteral("from"), QStringLiteral("First file number (default 1)."),
         QStringLiteral("N")},
        {QStringLiteral("to"), QStringLiteral("Last file number (default 50)."),
         QStringLiteral("N")},
        {QStringLiteral("no-overwrite"),
         QStringLiteral("Keep existing files; skip their numbers.")},
        {QStringLiteral("formats"),
         QStringLiteral("Formats to keep, comma-separated: gif,jpg,jpeg,bmp,png (default all)."),
         QStringLiteral("LIST")},
        {QStringLiteral("min-size"), QStringLiteral("Smallest file size to keep, in KB."),
         QStringLiteral("KB")},
        {QStringLiteral("min-width"), QStringLiteral("Smallest width to keep, in pixels."),
         QStringLiteral("PX")},
        {QStringLiteral("min-height"), QStringLiteral("Smallest height to keep, in pixels."),
         QStringLiteral("PX")},
        {QStringLiteral("same-site"), QStringLiteral("Stay on the start site.")},
        {QStringLiteral("connections"),
         QStringLiteral("Downloads at once from one host, 1 to 16 (default 6)."),
         QStringLiteral("N")},
        {QStringLiteral("search-base"),
         QStringLiteral("Image search address that the keyword is appended to."),
         QStringLiteral("URL")},
        {QStringLiteral("resume"),
         QStringLiteral("Go on with the search's project file, when there is one.")},
        {QStringLiteral("json"), QStringLiteral("Print the result as one JSON object.")},
        {QStringLiteral("quiet"), QStringLiteral("No progress line on a terminal.")},
    });

    ParsedCommandLine parsed;
    if (!parser.parse(arguments)) {
        parsed.text = parser.errorText();
        return parsed;
    }
    if (parser.isSet(help)) {
        parsed.kind = ParsedCommandLine::Kind::Help;
        parsed.text = parser.helpText();
        return parsed;
    }
    if (parser.isSet(version)) {
        parsed.kind = ParsedCommandLine::Kind::Version;
        parsed.text = QStringLiteral("zovarode-grab " ZOVARODE_VERSION "\n");
        return parsed;
    }
    if (!apply(p, parsed.options)) {
        parsed.text = p.error;
        return parsed;
    }
    parsed.kind = ParsedCommandLine::Kind::Run;
    return parsed;
}
