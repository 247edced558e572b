#ifndef CANNEDHTTPSERVER_H
#define CANNEDHTTPSERVER_H

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QTcpServer>

class QTcpSocket;

// A loopback HTTP server that answers every request with what the test set:
// a body, a dropped connection, silence, or a chunked body without end (see
// stream()). Records each request target.
class CannedHttpServer : public QTcpServer
{
    Q_OBJECT
public:
    enum Mode { Answer, Drop, Silent, Endless, Drip };

    explicit CannedHttpServer(QObject *parent = nullptr);

    void setBody(const QByteArray &body, int status = 200);
    void setMode(Mode mode) { m_mode = mode; }
    // Answers are held back this long, so that a newer request can overtake them.
    void setDelayMs(int ms) { m_delayMs = ms; }
    QStringList targets() const { return m_targets; }   // "/path?query", encoded
    QList<QByteArray> heads() const { return m_heads; }   // request line and headers
    QString hostPort() const;

private:
    void onConnection();
    void onReadable(QTcpSocket *socket);
    void stream(QTcpSocket *socket);

    QByteArray m_body;
    int m_status = 200;
    Mode m_mode = Answer;
    int m_delayMs = 0;
    QStringList m_targets;
    QList<QByteArray> m_heads;
};

#endif
