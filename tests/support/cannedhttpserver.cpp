#include "cannedhttpserver.h"

#include <QTcpSocket>
#include <QTimer>

CannedHttpServer::CannedHttpServer(QObject *parent)
    : QTcpServer(parent)
{
    connect(this, &QTcpServer::newConnection, this, &CannedHttpServer::onConnection);
    listen(QHostAddress::LocalHost, 0);
}

void CannedHttpServer::setBody(const QByteArray &body, int status)
{
    m_body = body;
    m_status = status;
}

QString CannedHttpServer::hostPort() const
{
    return QStringLiteral("127.0.0.1:%1").arg(serverPort());
}

void CannedHttpServer::onConnection()
{
    while (QTcpSocket *socket = nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadable(socket); });
    }
}

void CannedHttpServer::onReadable(QTcpSocket *socket)
{
    const QByteArray seen = socket->property("seen").toByteArray() + socket->readAll();
    socket->setProperty("seen", seen);
    const int headEnd = seen.indexOf("\r\n\r\n");
    if (headEnd < 0 || socket->property("answered").toBool())
        return;
    Request request;
    const QList<QByteArray> lines = seen.left(headEnd).split('\n');
    for (const QByteArray &line : lines.mid(1)) {
        const int colon = line.indexOf(':');
        if (colon > 0)
            request.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
    }
    const int length = request.headers.value("content-length").toInt();
    if (seen.size() < headEnd + 4 + length)
        return;   // the body is still on its way
    socket->setProperty("answered", true);
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.target = QString::fromLatin1(requestLine.value(1));
    request.body = seen.mid(headEnd + 4, length);
    m_targets << request.target;
    m_requests << request;

    switch (m_mode) {
    case Silent:
        return;
    case Drop:
        socket->abort();
        return;
    case Endless:
    case Drip:
        socket->write("HTTP/1.1 200 Canned\r\nContent-Type: text/xml; charset=UTF-8\r\n"
                      "Transfer-Encoding: chunked\r\n\r\n");
        stream(socket);
        return;
    case Answer:
        break;
    }
    Response canned;
    canned.status = m_status;
    canned.body = m_body;
    canned.contentType = "text/xml; charset=UTF-8";
    if (m_handler)
        canned = m_handler(request);
    const QByteArray response = "HTTP/1.1 " + QByteArray::number(canned.status) + " Canned\r\n"
                                "Content-Type: " + canned.contentType + "\r\n"
                                "Content-Length: " + QByteArray::number(canned.body.size()) + "\r\n"
                                "Connection: close\r\n\r\n" + canned.body;
    QTimer::singleShot(m_delayMs, socket, [socket, response] {
        socket->write(response);
        socket->disconnectFromHost();
    });
}

// Endless: the body over and over, a megabyte queued so that the client reads as
// fast as it can; Drip: its first byte over and over, one every 50 ms.
void CannedHttpServer::stream(QTcpSocket *socket)
{
    if (socket->state() != QAbstractSocket::ConnectedState || m_body.isEmpty())
        return;
    const bool drip = m_mode == Drip;
    const QByteArray chunk = drip ? m_body.left(1) : m_body.repeated(qMax(1, 65536 / m_body.size()));
    while (socket->bytesToWrite() < (drip ? 1 : 1024 * 1024))
        socket->write(QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n");
    QTimer::singleShot(drip ? 50 : 1, socket, [this, socket] { stream(socket); });
}
