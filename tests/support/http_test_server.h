#pragma once

// A small HTTP/1.1 server on 127.0.0.1 for network tests: it serves bytes registered per path
// and the files of a folder, and misbehaves on purpose where a test tells it to. It runs on the
// caller's event loop and never blocks it.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QSslCertificate>
#include <QString>
#include <QStringList>

#include <memory>

class QTcpServer;
class QTcpSocket;
class HttpTestConnection;

class HttpTestServer final : public QObject {
    Q_OBJECT
public:
    enum class Transport { Plain, Tls };

    // Listens on an ephemeral port at once. With Tls the server presents certificate(), issued
    // to 127.0.0.1; a client must trust it explicitly.
    explicit HttpTestServer(Transport transport = Transport::Plain, QObject *parent = nullptr);
    ~HttpTestServer() override;

    quint16 port() const;
    // "http://127.0.0.1:<port>" (or https) followed by path, which starts with "/".
    QString url(const QString &path) const;
    static QSslCertificate certificate();

    // Paths are request targets as the client sends them, such as "/a/b.jpg" or
    // "/images?q=x&start=0". A target with a query that has nothing of its own falls back to
    // its path. The content type follows the name's extension, whatever the bytes are, so HTML
    // added under "x.jpg" is served as a JPEG picture.
    void addFile(const QString &path, const QByteArray &bytes);
    // Targets without bytes of their own are looked up as files below folder.
    void serveFolder(const QString &folder);
    // Every answer waits this long after its request arrived.
    void setLatency(int milliseconds);

    // Behaviours per path. Those that send a body send the path's content, or 4096 bytes of
    // filler when it has none.
    void answerStatus(const QString &path, int status);
    // Resets the connection (RST) instead of answering; with afterBodyBytes >= 0 it sends a
    // chunked response with that many body bytes first.
    void resetConnection(const QString &path, qint64 afterBodyBytes = -1);
    void stallBeforeHeaders(const QString &path);
    void stallAfterHeaders(const QString &path);
    // Announces the whole content, sends sentBytes of it and closes the connection.
    void sendShortBody(const QString &path, qint64 sentBytes);
    // Sends sentBytes of the content in chunks and closes the connection without the last one.
    void sendShortChunked(const QString &path, qint64 sentBytes);
    void redirect(const QString &path, const QString &location, int status = 302);
    // Announces length and sends filler for as long as the client reads.
    void announceHugeLength(const QString &path, qint64 length);
    void sendEndlessChunked(const QString &path);
    // The content in chunks, without Content-Length.
    void sendChunked(const QString &path);
    // Announces the content and sends it one byte every intervalMs.
    void drip(const QString &path, int intervalMs);

    // What clients asked for, in order of arrival.
    QStringList requestedPaths() const { return requested_; }
    int requestCount(const QString &path) const { return int(requested_.count(path)); }
    // A header of the last request for path (name without regard to case); empty when none.
    QByteArray lastHeader(const QString &path, const QByteArray &name) const;
    int openConnections() const { return int(connections_.size()); }

    // An encoded picture of the given format ("PNG", "JPG", "GIF", "BMP") and size.
    static QByteArray picture(const char *format, int width, int height);

private:
    friend class HttpTestConnection;

    enum class Kind {
        Serve,
        Status,
        Reset,
        StallBeforeHeaders,
        StallAfterHeaders,
        ShortBody,
        ShortChunked,
        Redirect,
        HugeLength,
        EndlessChunked,
        Chunked,
        Drip,
    };
    struct Rule {
        Kind kind = Kind::Serve;
        int status = 200;
        qint64 amount = -1;
        int intervalMs = 0;
        QString location;
    };
    struct Content {
        bool found = false;
        QByteArray bytes;
    };

    void acceptConnections();
    void forget(HttpTestConnection *connection);
    void record(const QString &target, QHash<QByteArray, QByteArray> headers);
    Rule ruleFor(const QString &target) const;
    Content contentFor(const QString &target) const;

    Transport transport_;
    std::unique_ptr<QTcpServer> listener_;
    QSet<HttpTestConnection *> connections_;
    QHash<QString, QByteArray> files_;
    QHash<QString, Rule> rules_;
    QString folder_;
    int latencyMs_ = 0;
    QStringList requested_;
    QHash<QString, QHash<QByteArray, QByteArray>> lastHeaders_;
};
