#include "mapservicelauncher.h"

#include <QDebug>
#include <QDeadlineTimer>
#include <QFile>
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTcpSocket>

MapServiceLauncher::MapServiceLauncher(QObject *parent)
    : QObject(parent)
{
}

MapServiceLauncher::~MapServiceLauncher()
{
    stop();
}

bool MapServiceLauncher::isLocalDefault(const QUrl &url)
{
    const QString host = url.host().toLower();
    return url.scheme() == "http" && url.port(80) == DefaultPort
        && (host == "localhost" || host == "127.0.0.1");
}

bool MapServiceLauncher::answers(const QUrl &url, int timeoutMs)
{
    QTcpSocket socket;
    // "localhost" may resolve to ::1 first, where the service does not listen.
    const QString host = url.host().toLower() == "localhost" ? QString("127.0.0.1") : url.host();
    socket.connectToHost(host, quint16(url.port(80)));
    return socket.waitForConnected(timeoutMs);
}

bool MapServiceLauncher::ensureRunning(const QUrl &url, const QString &scriptPath,
                                       const QString &logPath, int timeoutMs)
{
    m_failure.clear();
    if (answers(url))
        return true;
    if (!QFileInfo(scriptPath).isFile())
        return fail(QString("no map service at %1").arg(scriptPath));

    m_process = new QProcess(this);
    // Its log goes to a file: a pipe nobody reads would fill and stop it.
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(logPath, QIODevice::Truncate);
    // Debian's Python, which has the map renderer's bindings; any other as a last resort.
    const QString python = QFileInfo("/usr/bin/python3").isExecutable()
        ? QStringLiteral("/usr/bin/python3") : QStringLiteral("python3");
    m_process->start(python, {scriptPath, "--port", QString::number(url.port(80)),
                              "--parent-pid", QString::number(QCoreApplication::applicationPid())});
    if (!m_process->waitForStarted(timeoutMs))
        return fail(QString("cannot run %1: %2").arg(python, m_process->errorString()));
    qDebug().noquote() << "started the map service" << scriptPath << "pid"
                       << m_process->processId();

    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (answers(url, 200))
            return true;
        // Doubles as the pause between tries, and notices an early exit.
        if (m_process->waitForFinished(100)) {
            QFile log(logPath);
            const QString said = log.open(QIODevice::ReadOnly)
                ? QString::fromLocal8Bit(log.readAll()).trimmed().section('\n', -1)
                : QString();
            return fail(QString("the map service exited with code %1%2")
                            .arg(m_process->exitCode())
                            .arg(said.isEmpty() ? QString() : ": " + said));
        }
    }
    return fail(QString("the map service did not answer within %1 s").arg(timeoutMs / 1000));
}

void MapServiceLauncher::stop()
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(5000)) {
            m_process->kill();
            m_process->waitForFinished(1000);
        }
    }
    delete m_process;
    m_process = nullptr;
}

bool MapServiceLauncher::fail(const QString &why)
{
    m_failure = why;
    qWarning().noquote() << "map service:" << why;
    stop();
    return false;
}
