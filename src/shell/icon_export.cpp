// Build tool: writes the program's icon into a hicolor icon tree, as PNG files of the usual
// sizes and as a scalable SVG.
//   zovarode-icons OUTPUT_FOLDER NAME

#include "shell/app_icon.h"

#include <QDir>
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fputs("usage: zovarode-icons OUTPUT_FOLDER NAME\n", stderr);
        return 1;
    }
    const QString root = arguments[1];
    const QString name = arguments[2];
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
        if (!QDir().mkpath(folder) ||
            !appIconImage(size).save(folder + u'/' + name + QStringLiteral(".png")))
            return 1;
    }
    const QString scalable = root + QStringLiteral("/scalable/apps");
    QSaveFile svg(scalable + u'/' + name + QStringLiteral(".svg"));
    if (!QDir().mkpath(scalable) || !svg.open(QIODevice::WriteOnly) ||
        svg.write(appIconSvg()) < 0 || !svg.commit())
        return 1;
    return 0;
}
