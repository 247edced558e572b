#include "sizetext.h"

QString SizeText::of(qint64 bytes)
{
    if (bytes < 1000 * 1000)
        return tr("%1 KB").arg(qMax<qint64>(bytes > 0 ? 1 : 0, (bytes + 500) / 1000));
    if (bytes < qint64(1000) * 1000 * 1000)
        return tr("%1 MB").arg(bytes / 1e6, 0, 'f', 1);
    return tr("%1 GB").arg(bytes / 1e9, 0, 'f', 1);
}
