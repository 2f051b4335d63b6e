#include "grab/project_file.h"

#include "core/grab_state.h"
#include "crawl/crawl_context.h"
#include "crawl/link_queue.h"
#include "platform/atomic_write.h"

#include <QFile>

#include <algorithm>

namespace {
// The generator of the scrambling: SplitMix64. Every text starts from the same fixed state,
// which the key's seed is mixed into; values are the top 53 bits as a fraction in [0, 1).
// Files written with this generator can only be read with it, so it must never change.
class ScrambleGenerator {
public:
    explicit ScrambleGenerator(qint32 seed)
        : state_(InitialState ^ static_cast<quint64>(static_cast<quint32>(seed)))
    {
    }

    double next()
    {
        state_ += 0x9E3779B97F4A7C15ull;
        quint64 z = state_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        return static_cast<double>(z >> 11) * 0x1.0p-53;
    }

private:
    static constexpr quint64 InitialState = 0x5A6F766172616465ull;
    quint64 state_;
};

constexpr int FirstPrintable = 32;
constexpr int LastPrintable = 126;
constexpr int PrintableCount = 95;

template <typename Shift> QString transform(const QString &key, const QString &text, Shift shift)
{
    ScrambleGenerator generator(ScrambleSeed(key));
    QString result;
    result.reserve(text.size());
    for (const QChar ch : text) {
        const int c = ch.unicode();
        if (c < FirstPrintable || c > LastPrintable)
            continue;
        const int k = static_cast<int>(generator.next() * 96);
        result.append(QChar(shift(c - FirstPrintable, k) + FirstPrintable));
    }
    return result;
}

const QString ExpandSection = QStringLiteral("[X]");
const QString LinkSection = QStringLiteral("[M]");
const QString ResourceSection = QStringLiteral("[RR]");
const QString IndexSection = QStringLiteral("[P]");

qint32 restoredIndex(const QString &text, qint32 count)
{
    bool ok = false;
    const qint32 value = text.trimmed().toInt(&ok);
    if (!ok)
        return 0;
    return std::clamp(value, 0, count);
}
} // namespace

qint32 ScrambleSeed(const QString &key)
{
    quint32 s = 0;
    int a = 0;
    int b = 0;
    for (const QChar ch : key) {
        const quint64 c = ch.unicode();
        s ^= static_cast<quint32>(c << a);
        s ^= static_cast<quint32>(c << b);
        a = (a + 7) % 19;
        b = (b + 13) % 23;
    }
    return static_cast<qint32>(s);
}

QString ScrambleText(const QString &key, const QString &text)
{
    return transform(key, text, [](int v, int k) { return (v + k) % PrintableCount; });
}

QString UnscrambleText(const QString &key, const QString &text)
{
    return transform(key, text, [](int v, int k) {
        const int shifted = (v - k) % PrintableCount;
        return shifted < 0 ? shifted + PrintableCount : shifted;
    });
}

void SaveProject(const GrabState &grab)
{
    if (grab.allHandedOut()) {
        QFile::remove(grab.ProjectFilePath);
        return;
    }

    // Built whole in memory, so the file is replaced only by a complete one.
    QByteArray contents;
    auto writeLine = [&contents](const QString &line) {
        contents += ScrambleText(ProjectKey, line).toLatin1();
        contents += "\r\n";
    };
    writeLine(ProjectIdentification);
    writeLine(ExpandSection);
    for (const PageEntry &entry : grab.ExpandList.entries())
        writeLine(entry.Address);
    writeLine(LinkSection);
    for (const PageEntry &entry : grab.LinkList.entries())
        writeLine(entry.Address);
    writeLine(ResourceSection);
    for (const QString &address : grab.ResourceList.entries())
        writeLine(address);
    writeLine(IndexSection);
    writeLine(QString::number(grab.ExpandList.Next) + u'/' + QString::number(grab.LinkList.Next) +
              u'/' + QString::number(grab.ResourceList.Next));
    writeFileAtomically(grab.ProjectFilePath, contents, true);
}

bool LoadProject(CrawlContext &context, qint64 maxBytes)
{
    // Read with a limit: an oversized file, or one linked to an endless device, is not resumed.
    QFile file(context.grab.ProjectFilePath);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxBytes)
        return false;
    const QByteArray contents = file.read(maxBytes + 1);
    if (contents.size() > maxBytes)
        return false;

    // The lines end with CR LF; the end of the last line is not a line of its own.
    qsizetype lineStart = 0;
    auto nextLine = [&contents, &lineStart](QString &line) {
        if (lineStart >= contents.size())
            return false;
        qsizetype end = contents.indexOf('\n', lineStart);
        if (end < 0)
            end = contents.size();
        QByteArrayView bytes(contents.constData() + lineStart, end - lineStart);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        line = UnscrambleText(ProjectKey, QString::fromLatin1(bytes));
        lineStart = end + 1;
        return true;
    };
    QString line;
    if (!nextLine(line) || line != ProjectIdentification)
        return false;

    GrabState &grab = context.grab;
    int section = 0;
    while (nextLine(line)) {
        if (line.startsWith(ExpandSection)) {
            section = 1;
        } else if (section == 1 && !line.startsWith(LinkSection)) {
            MakeLinkExpand(context, line, 0);
        } else if (line.startsWith(LinkSection)) {
            section = 2;
        } else if (section == 2 && !line.startsWith(ResourceSection)) {
            MakeLink(context, line, 0);
        } else if (line.startsWith(ResourceSection)) {
            section = 3;
        } else if (section == 3 && !line.startsWith(IndexSection)) {
            SaveResource(context, line);
        } else if (line.startsWith(IndexSection)) {
            section = 4;
        } else if (section == 4) {
            const QStringList parts = line.split(u'/');
            if (parts.size() >= 1)
                grab.ExpandList.Next = restoredIndex(parts[0], grab.ExpandList.count());
            if (parts.size() >= 2)
                grab.LinkList.Next = restoredIndex(parts[1], grab.LinkList.count());
            if (parts.size() >= 3)
                grab.ResourceList.Next = restoredIndex(parts[2], grab.ResourceList.count());
        }
    }
    return true;
}
