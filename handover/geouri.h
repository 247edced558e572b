#ifndef GEOURI_H
#define GEOURI_H

#include <QCoreApplication>
#include <QString>

// A geo: link (RFC 5870, with the common "q" and "z" query parameters):
// geo:47.14,9.52  geo:47.14,9.52?z=15  geo:0,0?q=Vaduz  geo:0,0?q=47.14,9.52(Town hall)
class GeoUri
{
    Q_DECLARE_TR_FUNCTIONS(GeoUri)
public:
    static const int MaxLength = 2000;

    // False with error() naming what is wrong; nothing else is set then.
    bool parse(const QString &text);

    bool hasPoint() const { return m_hasPoint; }
    double latitude() const { return m_latitude; }
    double longitude() const { return m_longitude; }
    // The text to search for ("q" that is no coordinate), or empty.
    QString query() const { return m_query; }
    // The label given with a point in "q", or empty.
    QString label() const { return m_label; }
    // The zoom asked for, or -1.
    int zoom() const { return m_zoom; }
    QString error() const { return m_error; }

    static bool isGeoUri(const QString &text);

private:
    bool fail(const QString &why);

    bool m_hasPoint = false;
    double m_latitude = 0;
    double m_longitude = 0;
    QString m_query;
    QString m_label;
    int m_zoom = -1;
    QString m_error;
};

#endif
