#ifndef REPLYFIXTURES_H
#define REPLYFIXTURES_H

#include <QByteArray>
#include <QString>

// Bodies for the web-service clients' tests: the services' published sample
// replies from the shared fixtures, and replies built around a test's elements.

// A sample reply under fixtures/google/ (empty when it cannot be read).
QByteArray publishedReply(const QString &name);
QByteArray geocodeReply(const QByteArray &inner);
QByteArray directionsReply(const QByteArray &inner);

#endif
