#ifndef PLACEKIND_H
#define PLACEKIND_H

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// What a geocoding candidate is, in a word for its row ("Pharmacy", "District"),
// from the types the reply carries; empty for an address, a street, a town or
// a country, which say what they are by themselves.
class PlaceKind
{
    Q_DECLARE_TR_FUNCTIONS(PlaceKind)
public:
    static QString of(const QStringList &types);
    // The row of a candidate: "Pharmacy · Bughin, Rue Grimaldi, Monaco".
    static QString row(const QString &description, const QStringList &types);
};

#endif
