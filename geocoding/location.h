#ifndef LOCATION_H
#define LOCATION_H

#include <QString>

// A place: a coordinate pair in decimal degrees and a text naming it.
// Held by value; never destroyed through a base pointer.
class Location
{
public:
    Location() = default;
    Location(const Location &) = default;
    Location &operator=(const Location &) = default;

    virtual double latitude() const { return m_latitude; }
    virtual double longitude() const { return m_longitude; }
    virtual QString description() const { return m_description; }
    virtual void setDescription(QString description) { m_description = description; }
    virtual void setCoordinates(double latitude, double longitude)
    {
        m_latitude = latitude;
        m_longitude = longitude;
    }
    // Exact comparison of the coordinates only: NaN never matches, 0.0 matches -0.0.
    virtual bool operator==(const Location &other) const
    {
        return m_latitude == other.m_latitude && m_longitude == other.m_longitude;
    }

protected:
    double m_latitude = 0.0;
    double m_longitude = 0.0;
    QString m_description;
};

#endif
