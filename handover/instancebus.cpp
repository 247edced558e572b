#include "instancebus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDebug>
#include <QFile>
#include <QFileInfo>

const char *const InstanceBus::ServiceName = "org.pelmark.Marlu";
const char *const InstanceBus::ObjectPath = "/org/pelmark/Marlu";

namespace {
// Arguments are paths and links: a few, and short.
const int MaxArguments = 32;
const int MaxArgumentLength = 4096;

// Without a bus in the environment libdbus would try to launch one for the
// display; a session without a bus simply has no single window.
bool busExpected()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    return !qgetenv("DBUS_SESSION_BUS_ADDRESS").isEmpty()
        || (!runtime.isEmpty() && QFileInfo::exists(QFile::decodeName(runtime) + "/bus"));
}
}

InstanceBus::InstanceBus(QObject *parent)
    : QObject(parent)
{
}

InstanceBus::~InstanceBus()
{
    if (m_claimed) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(ObjectPath);
        bus.unregisterService(ServiceName);
    }
}

bool InstanceBus::claim()
{
    if (!busExpected())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qDebug() << "InstanceBus::claim: no session bus";
        return false;
    }
    if (!bus.registerObject(ObjectPath, this, QDBusConnection::ExportScriptableSlots))
        return false;
    m_claimed = bus.registerService(ServiceName);
    if (!m_claimed)
        bus.unregisterObject(ObjectPath);
    qDebug() << "InstanceBus::claim:" << (m_claimed ? "owner" : "taken");
    return m_claimed;
}

bool InstanceBus::handOver(const QStringList &arguments)
{
    if (!busExpected())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(ServiceName, ObjectPath, ServiceName, "Open");
    call << arguments;
    const QDBusMessage reply = bus.call(call, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qWarning().noquote() << "InstanceBus::handOver:" << reply.errorMessage();
        return false;
    }
    return true;
}

void InstanceBus::Open(const QStringList &arguments)
{
    QStringList kept;
    for (const QString &argument : arguments.mid(0, MaxArguments)) {
        if (!argument.isEmpty() && argument.size() <= MaxArgumentLength)
            kept << argument;
    }
    qDebug() << "InstanceBus::Open" << kept;
    emit opened(kept);
}
