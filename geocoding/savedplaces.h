#ifndef SAVEDPLACES_H
#define SAVEDPLACES_H

#include "geocoding/geocodeaddress.h"

#include <QList>
#include <QStringList>

// The user's saved places as the searches see them: names to complete typing
// with, and the place a typed name stands for, found without asking the
// service. The window that keeps the places sets them whenever they change.
class SavedPlaces
{
public:
    // Each place's description is its name.
    static void set(const QList<GeocodeAddress> &places);
    static QStringList names();
    // The place named `text` (whatever its case and spacing), or null.
    static const GeocodeAddress *find(const QString &text);

private:
    static QList<GeocodeAddress> &places();
};

#endif
