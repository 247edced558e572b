#ifndef REPLYFIXTURES_H
#define REPLYFIXTURES_H

#include <QByteArray>
#include <QString>

// Bodies for the web-service clients' tests: a published sample reply under
// fixtures/google/ (empty when it cannot be read), and a reply document whose
// root element holds a test's elements.
QByteArray publishedReply(const QString &name);
QByteArray replyDocument(const QByteArray &root, const QByteArray &inner);
inline QByteArray geocodeReply(const QByteArray &inner) { return replyDocument("GeocodeResponse", inner); }
inline QByteArray directionsReply(const QByteArray &inner) { return replyDocument("DirectionsResponse", inner); }

#endif
