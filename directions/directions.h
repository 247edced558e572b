#ifndef DIRECTIONS_H
#define DIRECTIONS_H

#include "directions/step.h"

#include <QList>
#include <QString>

// One route alternative of a directions answer.
class Directions
{
public:
    QString summary;
    QString copyrights;
    QList<Step> steps;
};

#endif
