#ifndef MANEUVER_H
#define MANEUVER_H

#include <QCoreApplication>
#include <QString>

class Step;

// What a step asks of the driver, read from the service's maneuver word
// ("turn-left", "roundabout-right", ...) and its instruction (street names
// in bold, a roundabout's exit, the side the destination lies on): its turn
// icon, and its words in the interface language. The route's own sentence
// is used only where no template fits.
class Maneuver
{
    Q_DECLARE_TR_FUNCTIONS(Maneuver)
public:
    explicit Maneuver(const Step &step);

    QString type() const { return m_type; }
    QString street() const { return m_street; }
    int exit() const { return m_exit; }   // of a roundabout; 0 when none
    // "left", "right", or empty: the side of the road the destination lies on.
    QString destinationSide() const { return m_destinationSide; }

    // Whether a template of the interface language fits it.
    bool fits() const;
    // The turn icon's resource, empty for a maneuver without one.
    QString iconFile() const;
    static QString iconFile(const QString &type);
    // "Turn left onto Rue Grimaldi", "At the roundabout, take the 2nd exit onto ...".
    QString words() const;
    // The same as rich text: every text escaped, the street in bold.
    QString richWords() const;
    // "Your destination is on the left" after the last instruction; empty when unknown.
    QString destinationSentence() const;
    // The words and the destination's side, as the route sheet lists a step.
    QString sheetText() const;

    // The instruction without markup, whitespace simplified.
    static QString plain(const QString &html);
    // "1st", "2nd" in English; "1." where the language writes ordinals so.
    static QString ordinal(int n);

private:
    QString build(bool rich) const;

    QString m_type;
    QString m_street;
    QString m_toward;
    QString m_heading;    // compass word of a first step ("north", ...)
    QString m_fallback;   // the instruction without its note
    int m_exit = 0;
    QString m_destinationSide;
};

#endif
