#ifndef DIRECTIONS_H
#define DIRECTIONS_H

#include "directions/step.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <QVector>

// One route alternative of a directions answer, with the line of the whole
// route (latitude in x, longitude in y; empty when the reply had none).
class Directions
{
public:
    QString summary;
    QString copyrights;
    QList<Step> steps;
    QVector<QPointF> overview;
};

#endif
