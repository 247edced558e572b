#ifndef MAPSERVICELAUNCHER_H
#define MAPSERVICELAUNCHER_H

#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

class QProcess;

// Starts the local map service as a child process when the map host is the
// local default and nothing answers there, and stops it again on exit. A
// service found answering is used only once it proved to be Marlu's own (it
// knows this user's key); a second instance using the first one's service
// starts its own should that one stop.
class MapServiceLauncher : public QObject
{
    Q_OBJECT
public:
    static const int DefaultPort = 8717;

    explicit MapServiceLauncher(QObject *parent = nullptr);
    ~MapServiceLauncher() override;

    static bool isLocalDefault(const QUrl &url);
    static bool answers(const QUrl &url, int timeoutMs = 300);

    // True when Marlu's service answers at url within timeoutMs, started from
    // scriptPath (its log to logPath) if need be; otherwise failure() says why.
    bool ensureRunning(const QUrl &url, const QString &scriptPath, const QString &logPath,
                       int timeoutMs = 10000);
    // As ensureRunning(), without waiting for a service it starts: ready()
    // follows once it answers, failed() (failure() says why) when it cannot.
    // Either comes from the event loop, never from within this call.
    void start(const QUrl &url, const QString &scriptPath, const QString &logPath,
               int timeoutMs = 10000);
    bool isStarting() const { return m_starting; }
    // The data folder a service started from here uses; empty for its default.
    void setDataFolder(const QString &folder) { m_data = folder; }
    // ensureRunning() again with the same arguments; when another program holds
    // the port, the service starts on a free port, which then is the map host
    // of this session (ServerConfig::setSessionHost).
    bool retry();
    QString failure() const { return m_failure; }
    bool strangerOnPort() const { return m_stranger; }
    bool startedService() const { return m_process != nullptr; }
    QUrl url() const { return m_url; }

    void stop();

signals:
    void ready();
    void failed();
    // A service this instance started in place of one that went away answers.
    void restarted();

private:
    // What a start or an ensureRunning() works with, and no failure yet.
    void begin(const QUrl &url, const QString &scriptPath, const QString &logPath, int timeoutMs);
    bool launch(const QUrl &url);
    bool waitUntilAnswering(int timeoutMs);
    bool exited();
    void poll();
    void finishStart(bool ok);
    bool isOurs(const QUrl &url);
    void watch();
    bool fail(const QString &why);

    QProcess *m_process = nullptr;
    QUrl m_url;
    QString m_script;
    QString m_log;
    QString m_data;
    int m_timeoutMs = 10000;
    QString m_failure;
    bool m_stranger = false;
    bool m_restarting = false;
    QTimer m_watch;
    QTimer m_poll;
    QDeadlineTimer m_deadline;
    bool m_starting = false;
};

#endif
