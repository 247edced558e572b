#ifndef MAPSERVICELAUNCHER_H
#define MAPSERVICELAUNCHER_H

#include <QObject>
#include <QString>
#include <QUrl>

class QProcess;

// Starts the local map service as a child process when the map host is the
// local default and nothing answers there, and stops it again on exit. A
// second instance finds the first one's service answering and uses it.
class MapServiceLauncher : public QObject
{
    Q_OBJECT
public:
    static const int DefaultPort = 8717;

    explicit MapServiceLauncher(QObject *parent = nullptr);
    ~MapServiceLauncher() override;

    static bool isLocalDefault(const QUrl &url);
    static bool answers(const QUrl &url, int timeoutMs = 300);

    // True when the service answers at url within timeoutMs, started from
    // scriptPath (its log to logPath) if need be; otherwise failure() says why.
    bool ensureRunning(const QUrl &url, const QString &scriptPath, const QString &logPath,
                       int timeoutMs = 10000);
    QString failure() const { return m_failure; }
    bool startedService() const { return m_process != nullptr; }

    void stop();

private:
    bool fail(const QString &why);

    QProcess *m_process = nullptr;
    QString m_failure;
};

#endif
