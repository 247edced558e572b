// Cost of reading a directions reply of 3 routes with 2,000 steps each: the
// client's whole reply handling (debug output off) against
// QDomDocument::setContent alone.
#include "replybench.h"

#include "directions/googledirections.h"

#include <QCoreApplication>
#include <QDomDocument>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QNetworkAccessManager>

#include <algorithm>
#include <cstdio>
#include <vector>

static QByteArray reply(int routes, int steps)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<DirectionsResponse>\n <status>OK</status>\n";
    for (int r = 0; r < routes; ++r) {
        xml += " <route>\n  <summary>Route " + QByteArray::number(r) + "</summary>\n  <leg>\n";
        for (int i = 0; i < steps; ++i) {
            const QByteArray lat = QByteArray::number(43.65 + i * 1e-4, 'f', 7);
            const QByteArray lng = QByteArray::number(-79.38 + i * 1e-4, 'f', 7);
            xml += "   <step>\n    <travel_mode>DRIVING</travel_mode>\n"
                   "    <start_location>\n     <lat>" + lat + "</lat>\n     <lng>" + lng + "</lng>\n"
                   "    </start_location>\n"
                   "    <end_location>\n     <lat>" + lat + "</lat>\n     <lng>" + lng + "</lng>\n"
                   "    </end_location>\n"
                   "    <polyline>\n     <points>w`miGnmocNa@LUFWF]JmA^KBcAXQDUFc@JOFYNk@RSFOB</points>\n"
                   "    </polyline>\n"
                   "    <duration>\n     <value>" + QByteArray::number(30 + i % 600) + "</value>\n"
                   "     <text>" + QByteArray::number(1 + i % 10) + " mins</text>\n    </duration>\n"
                   "    <html_instructions>Turn &lt;b&gt;right&lt;/b&gt; onto &lt;b&gt;Street "
                   + QByteArray::number(i) + "&lt;/b&gt;</html_instructions>\n"
                   "    <distance>\n     <value>" + QByteArray::number(100 + i) + "</value>\n"
                   "     <text>0." + QByteArray::number(1 + i % 9) + " km</text>\n    </distance>\n"
                   "    <maneuver>turn-right</maneuver>\n   </step>\n";
        }
        xml += "  </leg>\n  <copyrights>Map data ©2022</copyrights>\n </route>\n";
    }
    return xml + "</DirectionsResponse>\n";
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules("default.debug=false");
    const int routes = 3, steps = 2000;
    const QByteArray body = reply(routes, steps);
    const int runs = 21;

    QNetworkAccessManager network;
    GoogleDirections directions(&network, nullptr);
    bool reported = false;
    QObject::connect(&directions, &GoogleDirections::finish,
                     [&](bool success, QString) { reported = success; });
    const ReplyTimes times = timeReply(directions, body, runs, [&] { directions.m_routes.clear(); });
    if (!reported || directions.m_routes.size() != routes
        || directions.m_routes.last().steps.size() != steps) {
        std::fprintf(stderr, "expected %d routes of %d steps\n", routes, steps);
        return 1;
    }
    const double c = times.client, d = times.dom, f = times.domFreed;
    std::printf("directions reply, %d routes x %d steps, %d bytes, median of %d runs\n", routes,
                steps, int(body.size()), runs);
    std::printf("  GoogleDirections::onFinished  %8.2f ms\n", c);
    std::printf("  QDomDocument::setContent      %8.2f ms\n", d);
    std::printf("  ratio                         %8.2f\n", c / d);
    // The client cannot avoid freeing its document; this is the floor it is held to.
    std::printf("  setContent + freeing the DOM  %8.2f ms (ratio %.2f)\n", f, c / f);
    std::printf("#bench\tdirections reply, 3 x 2,000 steps vs the DOM parse (ms)\t%.2f\t%.2f\tratio<=1.5\n", c, d);
    return 0;
}
