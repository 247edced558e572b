#ifndef LISTENEROWNER_H
#define LISTENEROWNER_H

#include <QCoreApplication>
#include <QString>

// Who listens on a loopback port: on Linux the socket's row of /proc/net/tcp
// (and tcp6) gives its owner and inode, and the inode is looked for among the
// open files of this user's processes. Elsewhere there is nothing to ask and
// every listener passes.
class ListenerOwner
{
    Q_DECLARE_TR_FUNCTIONS(ListenerOwner)
public:
    // True when the socket listening on 127.0.0.1:port belongs to a process of
    // this user; otherwise *why says whose it is, as the end of a sentence.
    static bool isOurs(quint16 port, QString *why, const QString &procRoot = "/proc");
};

#endif
