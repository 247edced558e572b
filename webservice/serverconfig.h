#ifndef SERVERCONFIG_H
#define SERVERCONFIG_H

#include <QString>
#include <QUrl>

// The hosts of the map page and the two web services, from the settings store
// (group "Servers"). A value is "host[:port]", spoken to over http, or a base URL
// with its own scheme when it holds "://".
class ServerConfig
{
public:
    static const char *const MapHostKey;
    static const char *const GeocodingHostKey;
    static const char *const DirectionsHostKey;
    static const char *const DefaultHost;

    static QString host(const char *key);
    static QUrl url(const char *key, const QString &path);
    // Where host `taken` is served in this session instead, when another program
    // holds its port; not saved. Applies to every key configured with that host.
    static void setSessionHost(const QString &taken, const QString &instead);
};

#endif
