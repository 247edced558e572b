#include "cannedreply.h"

#include <QTimer>

#include <cstring>

CannedReply::CannedReply(const QNetworkRequest &request, const QByteArray &body, QObject *parent)
    : QNetworkReply(parent)
    , m_body(body)
{
    setRequest(request);
    setUrl(request.url());
    setOperation(QNetworkAccessManager::GetOperation);
    open(QIODevice::ReadOnly);
    setAttribute(QNetworkRequest::HttpStatusCodeAttribute, 200);
    setAttribute(QNetworkRequest::HttpReasonPhraseAttribute, QByteArray("OK"));
    setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("text/xml; charset=UTF-8"));
    setHeader(QNetworkRequest::ContentLengthHeader, m_body.size());
    // A real reply answers from the event loop, never inside get().
    QTimer::singleShot(0, this, &CannedReply::deliver);
}

void CannedReply::deliver()
{
    if (m_aborted)
        return;
    emit metaDataChanged();
    emit readyRead();
    if (m_aborted)
        return;
    emit downloadProgress(m_body.size(), m_body.size());
    if (m_aborted)
        return;
    setFinished(true);
    emit finished();
}

void CannedReply::abort()
{
    if (m_aborted || isFinished())
        return;
    m_aborted = true;
    setError(OperationCanceledError, QStringLiteral("Operation canceled"));
    setFinished(true);
    emit errorOccurred(OperationCanceledError);
    emit finished();
}

qint64 CannedReply::bytesAvailable() const
{
    return m_body.size() - m_offset + QIODevice::bytesAvailable();
}

qint64 CannedReply::readData(char *data, qint64 maxSize)
{
    const qint64 n = qMin(maxSize, qint64(m_body.size()) - m_offset);
    if (n <= 0)
        return m_offset >= m_body.size() && isFinished() ? -1 : 0;
    std::memcpy(data, m_body.constData() + m_offset, size_t(n));
    m_offset += n;
    return n;
}
