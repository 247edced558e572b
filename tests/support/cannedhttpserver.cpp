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

    switch (m_mode) {
    case Silent:
        return;
    case Drop:
        socket->abort();
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
