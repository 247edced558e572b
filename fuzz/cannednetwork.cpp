#include "cannednetwork.h"

#include "cannedreply.h"

QNetworkReply *CannedNetwork::createRequest(Operation, const QNetworkRequest &request, QIODevice *)
{
    return new CannedReply(request, m_body, this);
}
