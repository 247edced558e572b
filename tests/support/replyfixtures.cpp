#include "replyfixtures.h"

#include <QFile>

QByteArray publishedReply(const QString &name)
{
    QFile file(qEnvironmentVariable("MARLU_FIXTURES") + "/google/" + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray replyDocument(const QByteArray &root, const QByteArray &inner)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + root + ">" + inner + "</" + root + ">\n";
}
