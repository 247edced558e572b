#ifndef CANNEDREPLY_H
#define CANNEDREPLY_H

#include <QByteArray>
#include <QNetworkReply>

// A finished HTTP 200 reply with the given body, delivered in one piece with
// the signals a network reply sends, so that the clients read it as they
// read the wire.
class CannedReply : public QNetworkReply
{
    Q_OBJECT
public:
    CannedReply(const QNetworkRequest &request, const QByteArray &body, QObject *parent);

    void abort() override;
    qint64 bytesAvailable() const override;
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;

private:
    void deliver();

    QByteArray m_body;
    qint64 m_offset = 0;
    bool m_aborted = false;
};

#endif
