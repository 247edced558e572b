#include "bufferreply.h"

#include <cstring>

BufferReply::BufferReply(const QByteArray &body, QObject *parent)
    : QNetworkReply(parent)
    , m_body(body)
{
    open(QIODevice::ReadOnly);
    setFinished(true);
}

qint64 BufferReply::bytesAvailable() const
{
    return m_body.size() - m_offset + QIODevice::bytesAvailable();
}

qint64 BufferReply::readData(char *data, qint64 maxSize)
{
    const qint64 n = qMin(maxSize, qint64(m_body.size()) - m_offset);
    if (n <= 0)
        return -1;
    std::memcpy(data, m_body.constData() + m_offset, size_t(n));
    m_offset += n;
    return n;
}
