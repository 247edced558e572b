#include "listenerowner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace {

struct Listener {
    bool found = false;
    uint uid = 0;
    QByteArray inode;
};

// The LISTEN row (state 0A) of a port on the loopback or any address.
Listener listenerIn(const QString &table, quint16 port)
{
    Listener listener;
    QFile file(table);
    if (!file.open(QIODevice::ReadOnly))
        return listener;
    file.readLine(4096);   // the header
    const QByteArray portHex = QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    while (!file.atEnd()) {
        const QList<QByteArray> f = file.readLine(4096).simplified().split(' ');
        if (f.size() < 10 || f[3] != "0A")
            continue;
        const QList<QByteArray> local = f[1].split(':');
        if (local.size() != 2 || local[1] != portHex)
            continue;
        const QByteArray address = local[0];
        const bool loopbackOrAny = address == "0100007F" || address == "00000000"
            || address == QByteArray(32, '0') || address == "00000000000000000000000001000000"
            || address == "0000000000000000FFFF00000100007F";
        if (!loopbackOrAny)
            continue;
        listener.found = true;
        listener.uid = f[7].toUInt();
        listener.inode = f[9];
        return listener;
    }
    return listener;
}

// Whether a process of this user holds the socket: only their fd folders can be read.
bool heldByOurProcess(const QString &procRoot, const QByteArray &inode)
{
    const QByteArray target = "socket:[" + inode + "]";
    const QStringList pids = QDir(procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : pids) {
        bool number = false;
        pid.toUInt(&number);
        if (!number || QFileInfo(procRoot + '/' + pid).ownerId() != ::getuid())
            continue;
        const QString folder = procRoot + '/' + pid + "/fd/";
        const QStringList fds = QDir(folder).entryList(QDir::AllEntries | QDir::System
                                                       | QDir::NoDotAndDotDot);
        for (const QString &fd : fds) {
            char link[64];
            const ssize_t size = ::readlink(QFile::encodeName(folder + fd).constData(), link,
                                            sizeof link);
            if (size > 0 && QByteArray(link, int(size)) == target)
                return true;
        }
    }
    return false;
}

}

bool ListenerOwner::isOurs(quint16 port, QString *why, const QString &procRoot)
{
#ifdef Q_OS_LINUX
    Listener listener = listenerIn(procRoot + "/net/tcp", port);
    if (!listener.found)
        listener = listenerIn(procRoot + "/net/tcp6", port);
    if (!listener.found)
        return true;   // nothing to tell: the proof alone decides
    if (listener.uid != ::getuid()) {
        *why = tr("the port is held by another user's program (user id %1)").arg(listener.uid);
        return false;
    }
    if (!heldByOurProcess(procRoot, listener.inode)) {
        *why = tr("the port is held by a program that is none of this user's");
        return false;
    }
    return true;
#else
    Q_UNUSED(port)
    Q_UNUSED(why)
    Q_UNUSED(procRoot)
    return true;
#endif
}
