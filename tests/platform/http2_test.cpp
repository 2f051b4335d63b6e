#include "platform/download_service.h"

#include <QEventLoop>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

// nghttpd speaks nothing but HTTP/2 over TLS, and its log shows each request's pseudo-headers,
// which only HTTP/2 has.
TEST(Http2, APictureArrivesWholeAndA404StillFails)
{
    const QString server = QStandardPaths::findExecutable(QStringLiteral("nghttpd"));
    const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (server.isEmpty() || openssl.isEmpty())
        GTEST_SKIP() << "needs nghttpd and openssl";
    QTemporaryDir site;
    const QString key = site.filePath(QStringLiteral("key.pem"));
    const QString certificate = site.filePath(QStringLiteral("cert.pem"));
    ASSERT_EQ(
        QProcess::execute(openssl, QStringLiteral("req -x509 -newkey ec -pkeyopt "
                                                  "ec_paramgen_curve:prime256v1 -nodes -days 1 "
                                                  "-subj /CN=127.0.0.1 -addext "
                                                  "subjectAltName=IP:127.0.0.1 -keyout")
                                           .split(u' ')
                                       << key << QStringLiteral("-out") << certificate),
        0);
    QByteArray picture(300 * 1024, Qt::Uninitialized); // past the first flow-control window
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(picture.data()),
                                          picture.size() / 4);
    QFile file(site.filePath(QStringLiteral("p.jpg")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(picture) == picture.size());
    file.close();

    QTcpServer probe; // a free port
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const QString origin = QStringLiteral("https://127.0.0.1:%1/").arg(probe.serverPort());
    probe.close();
    QProcess nghttpd;
    nghttpd.setProcessChannelMode(QProcess::MergedChannels);
    nghttpd.start(server, {QStringLiteral("-v"), QStringLiteral("--address=127.0.0.1"),
                           QStringLiteral("--htdocs=") + site.path(),
                           origin.section(u':', 2).chopped(1), key, certificate});
    QByteArray log;
    while (!log.contains("listen") && nghttpd.waitForReadyRead(5000))
        log += nghttpd.readAll();
    ASSERT_TRUE(log.contains("listen")) << log.constData();

    NetworkDownloadService service;
    QFile trusted(certificate);
    ASSERT_TRUE(trusted.open(QIODevice::ReadOnly));
    service.trustCertificates(trusted.readAll());
    std::map<QString, std::pair<QByteArray, DownloadFailure>> ended;
    QEventLoop loop;
    QObject::connect(
        &service, &DownloadService::completed,
        [&](const QString &key, int, const QByteArray &bytes, qint64, DownloadFailure why) {
            ended[key] = {bytes, why};
            if (ended.size() == 2)
                loop.quit();
        });
    ASSERT_TRUE(service.beginDownload(origin + QStringLiteral("p.jpg"), QStringLiteral("p")));
    ASSERT_TRUE(service.beginDownload(origin + QStringLiteral("missing.jpg"), QStringLiteral("m")));
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(ended[QStringLiteral("p")] == std::pair(picture, DownloadFailure::None));
    EXPECT_EQ(ended[QStringLiteral("m")].second, DownloadFailure::HttpStatus);
    nghttpd.terminate();
    nghttpd.waitForFinished();
    log += nghttpd.readAll();
    EXPECT_TRUE(log.contains(":path: /p.jpg")) << "asked in HTTP/2 frames";
}
