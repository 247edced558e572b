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
    if (!seen.contains("\r\n\r\n") || socket->property("answered").toBool())
        return;
    socket->setProperty("answered", true);
    const QList<QByteArray> requestLine = seen.left(seen.indexOf("\r\n")).split(' ');
    m_targets << QString::fromLatin1(requestLine.value(1));
    m_heads << seen.left(seen.indexOf("\r\n\r\n"));

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
    const QByteArray response = "HTTP/1.1 " + QByteArray::number(m_status) + " Canned\r\n"
                                "Content-Type: text/xml; charset=UTF-8\r\n"
                                "Content-Length: " + QByteArray::number(m_body.size()) + "\r\n"
                                "Connection: close\r\n\r\n" + m_body;
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
