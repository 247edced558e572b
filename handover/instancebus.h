#ifndef INSTANCEBUS_H
#define INSTANCEBUS_H

#include <QObject>
#include <QStringList>

// One Marlu per session: the first one owns the application's name on the
// session bus and takes the links and files that later starts hand it.
class InstanceBus : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.pelmark.Marlu")
public:
    static const char *const ServiceName;
    static const char *const ObjectPath;

    explicit InstanceBus(QObject *parent = nullptr);
    ~InstanceBus();

    // Takes the name; false when another instance has it (or there is no bus).
    bool claim();
    bool claimed() const { return m_claimed; }
    // Gives the arguments to the instance that owns the name; false when
    // none answers, and the caller then opens its own window.
    static bool handOver(const QStringList &arguments);

public slots:
    Q_SCRIPTABLE void Open(const QStringList &arguments);

signals:
    void opened(const QStringList &arguments);

private:
    bool m_claimed = false;
};

#endif
