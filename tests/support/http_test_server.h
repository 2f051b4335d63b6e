#pragma once

// A small HTTP/1.1 server on 127.0.0.1 for network tests. It answers each path from a table
// of replies, real bytes on a real socket, and misbehaves where a reply says so. It runs on the
// caller's event loop and never blocks it.

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTcpServer>

class HttpTestConnection;

// What the server answers for one path.
struct HttpReply {
    // How an answer stops before its body is whole: the connection closed, or left open and
    // silent.
    enum class Cut { None, Close, Stall };

    int status = 200;
    QByteArray body{};
    // The body's length, filled up with 'x' past body; -1 is the length of body. Without
    // chunked it is announced as the Content-Length.
    qint64 length = -1;
    bool chunked = false; // in chunks, without Content-Length, ending with the last chunk
    Cut cut = Cut::None;
    qint64 cutAfter = -1;  // body bytes sent before the cut; -1 cuts before the headers
    int dripMs = 0;        // sends the body one byte at a time, one each dripMs
    QByteArray location{}; // a Location header, for redirects

    // The body bytes as the client receives them whole.
    QByteArray wholeBody() const { return length < 0 ? body : body.leftJustified(length, 'x'); }
};

class HttpTestServer final : public QObject {
    Q_OBJECT
public:
    // Listens on an ephemeral port at once.
    HttpTestServer();

    quint16 port() const { return listener_.serverPort(); }
    // "http://127.0.0.1:<port>" followed by path, which starts with "/".
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:") + QString::number(port()) + path;
    }

    // Paths are request targets as the client sends them, such as "/a/b.jpg" or
    // "/images?q=x&start=0". Any other target is answered 404.
    void serve(const QString &path, const HttpReply &reply) { replies_.insert(path, reply); }
    void addFile(const QString &path, const QByteArray &bytes) { serve(path, {.body = bytes}); }
    // Every answer waits this long after its request arrived.
    void setLatency(int milliseconds) { latencyMs_ = milliseconds; }

    // What clients asked for, in order of arrival.
    QStringList requestedPaths() const { return requested_; }
    int requestCount(const QString &path) const { return int(requested_.count(path)); }
    // The request line and headers of the last request for path.
    QByteArray lastRequest(const QString &path) const { return lastRequests_.value(path); }

    // An encoded picture of the given format ("PNG", "JPG", "BMP") and size.
    static QByteArray picture(const char *format, int width, int height);

private:
    friend class HttpTestConnection;

    QTcpServer listener_;
    QHash<QString, HttpReply> replies_;
    int latencyMs_ = 0;
    QStringList requested_;
    QHash<QString, QByteArray> lastRequests_;
};
