#include "serverconfig.h"

#include <QSettings>

const char *const ServerConfig::MapHostKey = "Servers/MapHost";
const char *const ServerConfig::GeocodingHostKey = "Servers/GeocodingHost";
const char *const ServerConfig::DirectionsHostKey = "Servers/DirectionsHost";
const char *const ServerConfig::DefaultHost = "localhost:8717";

QString ServerConfig::host(const char *key)
{
    QSettings settings;
    const QString value = settings.value(key, DefaultHost).toString().trimmed();
    return value.isEmpty() ? QString(DefaultHost) : value;
}

QUrl ServerConfig::url(const char *key, const QString &path)
{
    QString base = host(key);
    if (!base.contains("://"))
        base.prepend("http://");
    while (base.endsWith('/'))
        base.chop(1);
    return QUrl::fromUserInput(base + path);
}
