#ifndef NMEAREPLAY_H
#define NMEAREPLAY_H

#include <QByteArray>
#include <QLoggingCategory>
#include <QTime>

Q_DECLARE_LOGGING_CATEGORY(lcNmeaReplay)

class QIODevice;

// What the position and the satellite replay share, so that both keep the
// same pace through the same log.
namespace NmeaReplay {

// Lines read in one turn of the event loop at most, so that a long stretch
// of a log without what a source looks for does not freeze the window.
constexpr int LinesPerTurn = 1000;

// How far a read has come.
enum class Read { Ready, Unfinished, Finished };

// Milliseconds to wait between two epochs stamped from and to, at speed
// times the log's pace. A gap that is missing, not positive or longer than a
// minute is no pace (a corrupt stamp, a second session hours later): the
// replay goes on after the usual second of a receiver instead.
int delay(const QTime &from, const QTime &to, double speed);

// Reads the next line of the log into line; false at its end. A line too
// long to be a sentence is skipped whole and read as an empty one, so that
// a log without line breaks cannot fill the memory.
bool readLine(QIODevice *device, QByteArray *line);

// Whether a sentence (GGA, RMC or GLL) gives a position no place on earth
// has: latitude past 90, longitude past 180, minutes of 60 or more, a sign.
// Its checksum may be right all the same; Qt's parser would wrap it around.
bool hasImpossiblePosition(const QByteArray &sentence);

} // namespace NmeaReplay

#endif // NMEAREPLAY_H
