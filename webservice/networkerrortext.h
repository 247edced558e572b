#ifndef NETWORKERRORTEXT_H
#define NETWORKERRORTEXT_H

#include <QCoreApplication>
#include <QString>

class QNetworkReply;

// A failed request in words a person understands: no answer in time and a
// refused connection are said plainly, naming the host as configured; other
// failures keep the network layer's own words.
class NetworkErrorText
{
    Q_DECLARE_TR_FUNCTIONS(NetworkErrorText)
public:
    static QString of(const QNetworkReply &reply);
};

#endif
