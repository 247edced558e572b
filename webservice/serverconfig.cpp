#include "serverconfig.h"

#include <QSettings>

const char *const ServerConfig::MapHostKey = "Servers/MapHost";
const char *const ServerConfig::GeocodingHostKey = "Servers/GeocodingHost";
const char *const ServerConfig::DirectionsHostKey = "Servers/DirectionsHost";
const char *const ServerConfig::DefaultHost = "localhost:8717";

static QString takenHost, sessionHost;

// "http://localhost:8717/" and "127.0.0.1:8717" name the same host.
static QString sameHost(QString host)
{
    host = host.trimmed().toLower();
    if (host.startsWith("http://"))
        host.remove(0, 7);
    while (host.endsWith('/'))
        host.chop(1);
    if (host.startsWith("localhost:"))
        host.replace(0, 9, "127.0.0.1");
    return host;
}

void ServerConfig::setSessionHost(const QString &taken, const QString &instead)
{
    takenHost = sameHost(taken);
    sessionHost = instead;
}

QString ServerConfig::host(const char *key)
{
    QSettings settings;
    const QString value = settings.value(key, DefaultHost).toString().trimmed();
    const QString chosen = value.isEmpty() ? QString(DefaultHost) : value;
    if (!sessionHost.isEmpty() && sameHost(chosen) == takenHost)
        return sessionHost;
    return chosen;
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
