#ifndef MANEUVERTEXT_H
#define MANEUVERTEXT_H

#include <QCoreApplication>
#include <QString>

class Step;

// The spoken words of guidance in the interface language: a step's maneuver
// (Maneuver's words), the distances as people read and hear them, and the
// prompts built from them.
class ManeuverText
{
    Q_DECLARE_TR_FUNCTIONS(ManeuverText)
public:
    // "Turn left onto Rue Grimaldi" (Maneuver's words); the plain instruction when no template fits.
    static QString action(const Step &step);
    static QString arrivalAhead();
    // "800 m", "350 m", "50 m", "now"; feet and miles in imperial units.
    static QString distance(double metres, bool imperial);
    // "In 300 metres, turn left onto ..." (the action after the distance).
    static QString early(double metres, bool imperial, const QString &action);
    static QString then(const QString &action);
    static QString duration(double seconds);
    static QString youHaveArrived();
    static QString rerouting();
    static QString turnAround();

private:
    static QString lowerFirst(const QString &text);
};

#endif
