#include "nmeareplay.h"

#include <QIODevice>
#include <QLoggingCategory>

#include <QList>

#include <cmath>
#include <limits>

// Defined with the reader that every user of the replay links, the fuzz target too.
Q_LOGGING_CATEGORY(lcNmeaReplay, "marlu.position.nmeareplay")

namespace {
const qint64 FallbackGap = 1000;  // ms, the usual 1 Hz of a receiver
const qint64 LongestGap = 60000;  // ms; longer gaps are log restarts, not pace
const qint64 MsecsPerDay = 24 * 3600 * 1000;
const qint64 LongestLine = 1024;  // a sentence has at most 82 characters
}

int NmeaReplay::delay(const QTime &from, const QTime &to, double speed)
{
    qint64 gap = FallbackGap;
    if (from.isValid() && to.isValid()) {
        gap = from.msecsTo(to);
        if (gap < 0) // past midnight: the stamps hold no date
            gap += MsecsPerDay;
        if (gap <= 0 || gap > LongestGap)
            gap = FallbackGap;
    }
    return static_cast<int>(qMin(gap / speed, double(std::numeric_limits<int>::max())));
}

bool NmeaReplay::readLine(QIODevice *device, QByteArray *line)
{
    if (device->atEnd())
        return false;
    *line = device->readLine(LongestLine);
    if (line->isEmpty())
        return false; // a read error ends the log too
    if (!line->endsWith('\n') && !device->atEnd()) { // cut short: skip the rest
        char rest[LongestLine];
        qint64 size = 0;
        while ((size = device->readLine(rest, sizeof rest)) > 0 && rest[size - 1] != '\n') {
        }
        line->clear();
    }
    return true;
}

namespace {

// ddmm.mmm (latitude, at most 90) or dddmm.mmm (longitude, at most 180).
bool impossible(const QByteArray &field, double most)
{
    if (field.isEmpty())
        return false;   // no position in this sentence
    for (char c : field) {
        if (!(c >= '0' && c <= '9') && c != '.')
            return true;
    }
    bool ok = false;
    const double value = field.toDouble(&ok);
    if (!ok)
        return true;
    const double degrees = std::floor(value / 100);
    const double minutes = value - degrees * 100;
    return minutes >= 60 || degrees + minutes / 60 > most;
}

}

bool NmeaReplay::hasImpossiblePosition(const QByteArray &sentence)
{
    const QList<QByteArray> fields = sentence.split('*').value(0).split(',');
    const QByteArray type = fields.value(0).right(3);
    int latitude = -1;
    if (type == "GGA")
        latitude = 2;
    else if (type == "RMC")
        latitude = 3;
    else if (type == "GLL")
        latitude = 1;
    if (latitude < 0)
        return false;
    return impossible(fields.value(latitude), 90) || impossible(fields.value(latitude + 2), 180);
}
