#ifndef REPLYBENCH_H
#define REPLYBENCH_H

#include "bufferreply.h"

#include "webservice/servicecall.h"

#include <QDomDocument>
#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

// Times a web-service client's whole reply handling against the DOM parse of the
// same bytes, and against the parse plus freeing the document (which the client
// cannot avoid). Medians in milliseconds.
struct ReplyTimes
{
    double client = 0;
    double dom = 0;
    double domFreed = 0;
};

inline double medianMs(std::vector<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    return ns[ns.size() / 2] / 1e6;
}

// `reset` runs before each round, outside the timing.
template <typename Client>
ReplyTimes timeReply(Client &client, const QByteArray &body, int runs, const std::function<void()> &reset)
{
    std::vector<qint64> handled, dom, domFreed;
    QElapsedTimer clock;
    for (int i = 0; i < runs; ++i) {
        reset();
        client.m_call = new ServiceCall(new BufferReply(body, &client));
        clock.start();
        client.onFinished();
        handled.push_back(clock.nsecsElapsed());
        delete client.m_call->reply();

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
    return {medianMs(handled), medianMs(dom), medianMs(domFreed)};
}

#endif
