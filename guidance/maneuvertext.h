#ifndef MANEUVERTEXT_H
#define MANEUVERTEXT_H

#include <QCoreApplication>
#include <QString>

class Step;

// The words of guidance in the interface language: the maneuver of a step
// from the service's maneuver word and the street in its instruction, the
// distances as people read and hear them, and the instruction as safe rich
// text. Where no template fits, the service's own instruction is used.
class ManeuverText
{
    Q_DECLARE_TR_FUNCTIONS(ManeuverText)
public:
    // The instruction without markup, whitespace simplified.
    static QString plain(const QString &html);
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
