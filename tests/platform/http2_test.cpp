#include "platform/download_service.h"

#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// nghttpd speaks nothing but HTTP/2 over TLS, and its log shows each request's pseudo-headers,
// which only HTTP/2 has.
TEST(Http2, APictureArrivesWholeAndA404StillFails)
{
    QTemporaryDir site;
    const auto file = [&site](const char *name) { return site.filePath(QLatin1String(name)); };
    const QString made =
        QStringLiteral("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 "
                       "-nodes -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 "
                       "-keyout %1 -out %2 && openssl rand -out %3 300000")
            .arg(file("key"), file("cert"), file("p.jpg"));
    if (QProcess::execute(u"sh"_s, {u"-c"_s, made}) != 0)
        GTEST_SKIP() << "needs openssl";
    QTcpServer probe; // for a free port
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const QString port = QString::number(probe.serverPort());
    probe.close();
    QProcess server;
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(u"nghttpd"_s, {u"-v"_s, u"--address=127.0.0.1"_s, u"--htdocs="_s + site.path(),
                                port, file("key"), file("cert")});
    if (!server.waitForStarted())
        GTEST_SKIP() << "needs nghttpd";
    QByteArray log;
    while (!log.contains("listen") && server.waitForReadyRead(5000))
        log += server.readAll();

    NetworkDownloadService service;
    QFile certificate(file("cert")), picture(file("p.jpg"));
    ASSERT_TRUE(certificate.open(QIODevice::ReadOnly) && picture.open(QIODevice::ReadOnly));
    service.trustCertificates(certificate.readAll());
    std::map<QString, std::pair<QByteArray, DownloadFailure>> ended;
    QEventLoop loop;
    QObject::connect(
        &service, &DownloadService::completed,
        [&](const QString &key, int, const QByteArray &bytes, qint64, DownloadFailure why) {
            ended[key] = {bytes, why};
            if (ended.size() == 2)
                loop.quit();
        });
    for (const QString &name : {u"p.jpg"_s, u"missing.jpg"_s})
        service.beginDownload(u"https://127.0.0.1:%1/"_s.arg(port) + name, name);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(ended[u"p.jpg"_s] == std::pair(picture.readAll(), DownloadFailure::None));
    EXPECT_EQ(ended[u"missing.jpg"_s].second, DownloadFailure::HttpStatus);
    server.terminate();
    server.waitForFinished();
    EXPECT_TRUE((log += server.readAll()).contains(":path: /p.jpg")) << "asked in HTTP/2 frames";
}
