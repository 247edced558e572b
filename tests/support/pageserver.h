#ifndef PAGESERVER_H
#define PAGESERVER_H

#include <QProcess>
#include <QString>

// The local map service run as a child process on a free loopback port.
class PageServer
{
public:
    PageServer();
    ~PageServer();

    bool start(int port = 0);   // 0: let the service pick a free port
    void stop();                // SIGTERM, then wait
    bool isRunning() const;
    int port() const { return m_port; }
    QString hostPort() const;   // "127.0.0.1:PORT", the form the settings take
    QString output() const { return m_log; }

private:
    QProcess m_process;
    int m_port = 0;
    QString m_log;
};

#endif
