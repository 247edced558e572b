#include "step.h"

QString Step::toString() const
{
    // One multi-argument pass: a "%1" inside the instruction stays as it is.
    return QStringLiteral("%1 (%2 %3) --> %4 %5")
        .arg(description(), m_distanceText, m_durationText,
             QString::number(latitude(), 'g', 6), QString::number(longitude(), 'g', 6));
}
