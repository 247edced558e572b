#ifndef CANNEDNETWORK_H
#define CANNEDNETWORK_H

#include <QByteArray>
#include <QNetworkAccessManager>

// A network manager that answers every request with the body last given.
class CannedNetwork : public QNetworkAccessManager
{
    Q_OBJECT
public:
    using QNetworkAccessManager::QNetworkAccessManager;

    void setBody(const QByteArray &body) { m_body = body; }

protected:
    QNetworkReply *createRequest(Operation op, const QNetworkRequest &request,
                                 QIODevice *outgoingData) override;

private:
    QByteArray m_body;
};

#endif
