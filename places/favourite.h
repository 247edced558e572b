#ifndef FAVOURITE_H
#define FAVOURITE_H

#include <QString>

// A place the user saved: its name (theirs to edit), the address it was saved
// with, where it is, and whether it is one of the two fixed entries.
struct Favourite
{
    enum Kind { Place, Home, Work };

    QString name;
    QString address;
    double latitude = 0;
    double longitude = 0;
    Kind kind = Place;

    // "lat,lng" as the geocoder and the directions service read a coordinate.
    QString coordinates() const;
    // Metres along the ground to another point.
    double distanceTo(double lat, double lng) const;
    static bool validCoordinates(double lat, double lng);
};

#endif
