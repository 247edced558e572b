// Cost of reading a geocoding reply of 1,000 results: the requester's whole
// reply handling (debug output off) against QDomDocument::setContent alone.
#include "bufferreply.h"

#include "geocoding/geocoderequester.h"

#include <QCoreApplication>
#include <QDomDocument>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QNetworkAccessManager>

#include <algorithm>
#include <cstdio>
#include <vector>

static QByteArray reply(int results)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<GeocodeResponse>\n <status>OK</status>\n";
    for (int i = 0; i < results; ++i) {
        const QByteArray n = QByteArray::number(i);
        xml += " <result>\n  <type>locality</type>\n  <type>political</type>\n"
               "  <formatted_address>Place " + n + ", Region, Country</formatted_address>\n"
               "  <address_component>\n   <long_name>Place " + n + "</long_name>\n"
               "   <short_name>P" + n + "</short_name>\n   <type>locality</type>\n"
               "   <type>political</type>\n  </address_component>\n"
               "  <geometry>\n   <location>\n    <lat>" + QByteArray::number(40 + i * 1e-3, 'f', 7)
               + "</lat>\n    <lng>" + QByteArray::number(-74 - i * 1e-3, 'f', 7) + "</lng>\n"
               "   </location>\n   <location_type>APPROXIMATE</location_type>\n"
               "   <viewport>\n    <southwest><lat>40.0</lat><lng>-74.1</lng></southwest>\n"
               "    <northeast><lat>40.1</lat><lng>-74.0</lng></northeast>\n   </viewport>\n"
               "  </geometry>\n </result>\n";
    }
    return xml + "</GeocodeResponse>\n";
}

static double medianMs(std::vector<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    return ns[ns.size() / 2] / 1e6;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules("default.debug=false");
    const QByteArray body = reply(1000);
    const int runs = 30;

    QNetworkAccessManager network;
    GeocodeRequester requester(&network, nullptr);
    std::vector<qint64> client, dom, domFreed;
    QElapsedTimer clock;
    for (int i = 0; i < runs; ++i) {
        requester.m_results.clear();
        requester.m_reply = new BufferReply(body, &requester);
        clock.start();
        requester.onFinished();
        client.push_back(clock.nsecsElapsed());
        delete requester.m_reply;
        requester.m_reply = nullptr;

        {
            QDomDocument document;
            clock.start();
            document.setContent(body);
            dom.push_back(clock.nsecsElapsed());
        }
        clock.start();
        {
            QDomDocument document;
            document.setContent(body);
        }
        domFreed.push_back(clock.nsecsElapsed());
    }
    if (requester.m_results.size() != 1000) {
        std::fprintf(stderr, "expected 1000 results, got %d\n", int(requester.m_results.size()));
        return 1;
    }
    const double c = medianMs(client), d = medianMs(dom), f = medianMs(domFreed);
    std::printf("geocoding reply, 1000 results, %d bytes, median of %d runs\n", int(body.size()), runs);
    std::printf("  GeocodeRequester::onFinished  %8.2f ms\n", c);
    std::printf("  QDomDocument::setContent      %8.2f ms\n", d);
    std::printf("  ratio                         %8.2f\n", c / d);
    // The client cannot avoid freeing its document; this is the floor it is held to.
    std::printf("  setContent + freeing the DOM  %8.2f ms (ratio %.2f)\n", f, c / f);
    return 0;
}
