#ifndef BUFFERREPLY_H
#define BUFFERREPLY_H

#include <QNetworkReply>

// A finished reply whose body is held in memory, so that a client's reply
// handling can be timed without the network.
class BufferReply : public QNetworkReply
{
    Q_OBJECT
public:
    explicit BufferReply(const QByteArray &body, QObject *parent = nullptr);

    void abort() override {}
    qint64 bytesAvailable() const override;
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;

private:
    QByteArray m_body;
    qint64 m_offset = 0;
};

#endif
