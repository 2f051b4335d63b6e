#include "support/http_test_server.h"

#include <QBuffer>
#include <QImage>
#include <QTcpSocket>
#include <QTimer>

// One client connection: answers its requests one after another (keep-alive), each as the
// server's reply for its target says.
class HttpTestConnection final : public QObject {
public:
    HttpTestConnection(HttpTestServer &server, QTcpSocket *socket)
        : QObject(&server), server_(server), socket_(socket)
    {
        socket_->setParent(this);
        connect(socket_, &QTcpSocket::readyRead, this, &HttpTestConnection::handleNext);
        connect(socket_, &QTcpSocket::disconnected, this, &QObject::deleteLater);
        handleNext();
    }

private:
    void handleNext()
    {
        input_.append(socket_->readAll());
        const qsizetype headEnd = input_.indexOf("\r\n\r\n");
        if (answering_ || headEnd < 0)
            return;
        const QByteArray head = input_.left(headEnd);
        input_.remove(0, headEnd + 4);
        const QString target = QString::fromLatin1(head.split(' ').value(1));
        server_.requested_.append(target);
        server_.lastRequests_.insert(target, head);
        answering_ = true;
        QTimer::singleShot(server_.latencyMs_, this, [this, target] { respond(target); });
    }

    void respond(const QString &target)
    {
        reply_ = server_.replies_.value(target, {.status = 404, .body = "not found"});
        if (reply_.length < 0)
            reply_.length = reply_.body.size();
        sent_ = 0;
        end_ = reply_.cut == HttpReply::Cut::None ? reply_.length : reply_.cutAfter;
        if (end_ >= 0) {
            QByteArray head = "HTTP/1.1 " + QByteArray::number(reply_.status) + " Reply\r\n";
            if (!reply_.location.isEmpty())
                head += "Location: " + reply_.location + "\r\n";
            head += reply_.chunked
                        ? QByteArray("Transfer-Encoding: chunked\r\n")
                        : "Content-Length: " + QByteArray::number(reply_.length) + "\r\n";
            socket_->write(head + "\r\n");
        }
        send();
    }

    // Writes the body, whole or one byte each dripMs, then ends the answer as the reply says.
    void send()
    {
        if (sent_ < end_) {
            const qint64 size = reply_.dripMs > 0 ? 1 : end_ - sent_;
            const QByteArray data = reply_.body.mid(sent_, size).leftJustified(size, 'x');
            socket_->write(reply_.chunked ? QByteArray::number(size, 16) + "\r\n" + data + "\r\n"
                                          : data);
            sent_ += size;
            QTimer::singleShot(reply_.dripMs, this, &HttpTestConnection::send);
            return;
        }
        switch (reply_.cut) {
        case HttpReply::Cut::None:
            if (reply_.chunked)
                socket_->write("0\r\n\r\n");
            answering_ = false;
            handleNext();
            return;
        case HttpReply::Cut::Close:
            socket_->disconnectFromHost();
            return;
        case HttpReply::Cut::Stall:
            return;
        }
    }

    HttpTestServer &server_;
    QTcpSocket *socket_;
    QByteArray input_;
    bool answering_ = false;
    HttpReply reply_;
    qint64 sent_ = 0;
    qint64 end_ = 0;
};

HttpTestServer::HttpTestServer()
{
    connect(&listener_, &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket *socket = listener_.nextPendingConnection())
            new HttpTestConnection(*this, socket);
    });
    if (!listener_.listen(QHostAddress::LocalHost, 0))
        qFatal("HttpTestServer: cannot listen on 127.0.0.1: %s",
               qPrintable(listener_.errorString()));
}

QByteArray HttpTestServer::picture(const char *format, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(width % 256, height % 256, 128));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format))
        qFatal("HttpTestServer: cannot encode a %s picture", format);
    return bytes;
}
