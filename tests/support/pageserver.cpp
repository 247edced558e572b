#include "pageserver.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>

#include <csignal>

PageServer::PageServer()
{
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
}

PageServer::~PageServer()
{
    stop();
}

bool PageServer::start(int port)
{
    const QString script = QStringLiteral(MARLU_SOURCE_DIR) + "/services/mapservice.py";
    // Debian's Python has the renderer's bindings that the tiles need.
    const QString python = QFileInfo("/usr/bin/python3").isExecutable()
        ? QStringLiteral("/usr/bin/python3") : QStringLiteral("python3");
    m_process.start(python, {script, "--port", QString::number(port)});
    if (!m_process.waitForStarted(5000))
        return false;
    const QRegularExpression listening("listening on http://127\\.0\\.0\\.1:(\\d+)");
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        if (!m_process.waitForReadyRead(200) && m_process.state() != QProcess::Running)
            return false;
        m_log += QString::fromUtf8(m_process.readAllStandardOutput());
        const auto match = listening.match(m_log);
        if (match.hasMatch()) {
            m_port = match.captured(1).toInt();
            return true;
        }
    }
    return false;
}

void PageServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

bool PageServer::isRunning() const
{
    return m_process.state() == QProcess::Running;
}

QString PageServer::hostPort() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}
