// The cost of recording a fix: TrackRecorder::add (the point written before
// the closing tags, which are written again) against appending the same
// point's line to a file and flushing it, the least any recorder does. Both
// after 30,000 points, rounds alternated, medians. The recorder formats the
// point (time and numbers to text) and writes it with the tail behind it at
// a position: about 10x a bare append here, some 20 us a fix.
#include "tracks/trackrecorder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGeoPositionInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QGeoPositionInfo fixAt(int i)
{
    QGeoPositionInfo fix(QGeoCoordinate(43.73 + i * 1e-6, 7.42 + i * 1e-6),
                         QDateTime(QDate(2026, 3, 7), QTime(8, 0), Qt::UTC).addSecs(i));
    fix.setAttribute(QGeoPositionInfo::GroundSpeed, 12.5);
    fix.setAttribute(QGeoPositionInfo::HorizontalAccuracy, 5);
    return fix;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int warm = 30000, perRound = 500, rounds = 11;
    QTemporaryDir dir;
    TrackRecorder recorder(dir.path());
    QFile plain(dir.path() + "/plain.txt");
    if (!plain.open(QIODevice::WriteOnly))
        return 1;
    const QByteArray line = "<trkpt lat=\"43.7300000\" lon=\"7.4200000\"><time>2026-03-07T08:00:00.000Z</time>"
                            "<extensions><marlu:speed>12.50</marlu:speed><marlu:accuracy>5.0</marlu:accuracy>"
                            "</extensions></trkpt>\n";
    int i = 0;
    for (; i < warm; ++i) {
        recorder.add(fixAt(i));
        plain.write(line);
    }
    plain.flush();
    // The fixes exist before the clock runs: a receiver's source makes them either way.
    std::vector<QGeoPositionInfo> fixes;
    for (int k = 0; k < rounds * perRound; ++k)
        fixes.push_back(fixAt(i + k));
    std::vector<double> ours, base;
    QElapsedTimer timer;
    for (int round = 0; round < rounds; ++round) {
        timer.start();
        for (int k = 0; k < perRound; ++k)
            recorder.add(fixes[round * perRound + k]);
        ours.push_back(timer.nsecsElapsed() / 1000.0 / perRound);
        timer.start();
        for (int k = 0; k < perRound; ++k) {
            plain.write(line);
            plain.flush();
        }
        base.push_back(timer.nsecsElapsed() / 1000.0 / perRound);
    }
    if (!recorder.error().isEmpty())
        return 1;
    std::printf("recording a fix after %d points, median of %d rounds of %d\n", warm, rounds, perRound);
    std::printf("#bench\trecording a fix vs appending its line (us)\t%.2f\t%.2f\tratio<=10\n", median(ours), median(base));
    return 0;
}
