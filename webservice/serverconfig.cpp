#include "serverconfig.h"

#include <QSettings>

const char *const ServerConfig::MapHostKey = "Servers/MapHost";
const char *const ServerConfig::GeocodingHostKey = "Servers/GeocodingHost";
const char *const ServerConfig::DirectionsHostKey = "Servers/DirectionsHost";
const char *const ServerConfig::DefaultHost = "localhost:8717";

static QString sessionHost;

void ServerConfig::setSessionHost(const QString &host)
{
    sessionHost = host;
}

QString ServerConfig::host(const char *key)
{
    QSettings settings;
    const QString value = settings.value(key, DefaultHost).toString().trimmed();
    const QString chosen = value.isEmpty() ? QString(DefaultHost) : value;
    if (!sessionHost.isEmpty()
        && (chosen == DefaultHost || chosen == "127.0.0.1:8717" || chosen == "http://localhost:8717"
            || chosen == "http://127.0.0.1:8717"))
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
