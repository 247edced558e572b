#include "mapservicelauncher.h"

#include "regions/serviceapi.h"
#include "webservice/serverconfig.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>

namespace {
// How often a borrowed service is checked to be still there.
const int WatchMs = 2000;
// How often a service being started is asked whether it answers: it takes
// a few hundred milliseconds, and the page waits for this.
const int PollMs = 20;
}

MapServiceLauncher::MapServiceLauncher(QObject *parent)
    : QObject(parent)
{
    m_watch.setInterval(WatchMs);
    connect(&m_watch, &QTimer::timeout, this, &MapServiceLauncher::watch);
    m_poll.setInterval(PollMs);
    connect(&m_poll, &QTimer::timeout, this, &MapServiceLauncher::poll);
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

void MapServiceLauncher::begin(const QUrl &url, const QString &scriptPath,
                               const QString &logPath, int timeoutMs)
{
    m_url = url;
    m_script = scriptPath;
    m_log = logPath;
    m_timeoutMs = timeoutMs;
    m_failure.clear();
    m_stranger = false;
}

bool MapServiceLauncher::ensureRunning(const QUrl &url, const QString &scriptPath,
                                       const QString &logPath, int timeoutMs)
{
    begin(url, scriptPath, logPath, timeoutMs);
    if (m_process && m_process->state() != QProcess::NotRunning)
        return true;
    stop();
    if (answers(url)) {
        if (!isOurs(url))
            return false;
        // Borrowed from another Marlu, which stops it when it exits.
        m_watch.start();
        return true;
    }
    return launch(url) && waitUntilAnswering(timeoutMs);
}

void MapServiceLauncher::start(const QUrl &url, const QString &scriptPath,
                               const QString &logPath, int timeoutMs)
{
    begin(url, scriptPath, logPath, timeoutMs);
    m_starting = true;
    bool ok = m_process && m_process->state() != QProcess::NotRunning;
    if (!ok) {
        stop();
        // Nothing listening on this computer is refused at once; a service
        // that answers is asked who it is, which it answers at once too.
        if (answers(url)) {
            ok = isOurs(url);
            if (ok)
                m_watch.start();
        } else if (launch(url)) {
            m_deadline = QDeadlineTimer(timeoutMs);
            m_poll.start();
            return;
        }
    }
    QTimer::singleShot(0, this, [this, ok] { finishStart(ok); });
}

void MapServiceLauncher::poll()
{
    if (!m_process || exited())
        finishStart(false);
    else if (answers(m_url, PollMs))
        finishStart(true);
    else if (m_deadline.hasExpired())
        finishStart(fail(QString("the map service did not answer within %1 s")
                             .arg(m_timeoutMs / 1000)));
}

void MapServiceLauncher::finishStart(bool ok)
{
    m_poll.stop();
    if (!m_starting)
        return;
    m_starting = false;
    if (ok)
        emit ready();
    else
        emit failed();
}

bool MapServiceLauncher::retry()
{
    if (!m_stranger)
        return ensureRunning(m_url, m_script, m_log, m_timeoutMs);
    // The port stays taken: a free one serves this session.
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost))
        return fail(QString("no free port on 127.0.0.1: %1").arg(probe.errorString()));
    const QUrl taken = m_url;
    QUrl url = m_url;
    url.setHost("127.0.0.1");
    url.setPort(probe.serverPort());
    probe.close();
    m_failure.clear();
    if (!launch(url) || !waitUntilAnswering(m_timeoutMs))
        return false;
    m_stranger = false;
    ServerConfig::setSessionHost(taken.authority(), url.authority());
    qDebug().noquote() << "map service:" << taken.authority() << "is taken; this session uses"
                       << url.authority();
    return true;
}

// A fresh nonce that only a service knowing this user's key can answer.
bool MapServiceLauncher::isOurs(const QUrl &url)
{
    const ServiceApi::Answer answer = ServiceApi::wait(
        url, [](ServiceApi &api, ServiceApi::Done done) { api.verifyIdentity(done); }, 5000);
    if (answer.ok)
        return true;
    m_stranger = true;
    QString what;
    if (answer.status == 0)
        what = tr("it accepts connections but gave no answer");
    else if (answer.body.value("name").toString() == "Marlu map service")
        what = answer.error.left(1).toLower() + answer.error.mid(1);
    else
        what = tr("it answered HTTP %1%2 instead of naming itself").arg(answer.status)
                   .arg(answer.server.isEmpty() ? QString() : tr(" as \"%1\"").arg(answer.server));
    return fail(tr("Port %1 on this computer is taken by another program, not Marlu's map "
                   "service: %2").arg(url.port(80)).arg(what));
}

bool MapServiceLauncher::launch(const QUrl &url)
{
    if (!QFileInfo(m_script).isFile())
        return fail(QString("no map service at %1").arg(m_script));
    m_url = url;
    m_process = new QProcess(this);
    // Its log goes to a file: a pipe nobody reads would fill and stop it.
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(m_log, QIODevice::Truncate);
    // Debian's Python, which has the map renderer's bindings; any other as a last resort.
    const QString python = QFileInfo("/usr/bin/python3").isExecutable()
        ? QStringLiteral("/usr/bin/python3") : QStringLiteral("python3");
    QStringList arguments{m_script, "--port", QString::number(url.port(80)),
                          "--parent-pid", QString::number(QCoreApplication::applicationPid())};
    if (!m_data.isEmpty())
        arguments << "--data" << m_data;
    m_process->start(python, arguments);
    if (!m_process->waitForStarted(m_timeoutMs))
        return fail(QString("cannot run %1: %2").arg(python, m_process->errorString()));
    qDebug().noquote() << "started the map service" << m_script << "pid" << m_process->processId();
    return true;
}

bool MapServiceLauncher::waitUntilAnswering(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (answers(m_url, 200))
            return true;
        // Doubles as the pause between tries, and notices an early exit.
        m_process->waitForFinished(100);
        if (exited())
            return false;
    }
    return fail(QString("the map service did not answer within %1 s").arg(timeoutMs / 1000));
}

// True, with the failure said from the last line of its log, when the
// service started here has exited.
bool MapServiceLauncher::exited()
{
    if (m_process->state() != QProcess::NotRunning)
        return false;
    QFile log(m_log);
    const QString said = log.open(QIODevice::ReadOnly)
        ? QString::fromLocal8Bit(log.readAll()).trimmed().section('\n', -1)
        : QString();
    fail(QString("the map service exited with code %1%2")
             .arg(m_process->exitCode())
             .arg(said.isEmpty() ? QString() : ": " + said));
    return true;
}

// The borrowed service went away with the Marlu that started it: this one
// starts its own without blocking the window, and says so once it answers.
void MapServiceLauncher::watch()
{
    if (m_restarting) {
        if (!m_process || m_process->state() == QProcess::NotRunning) {
            m_restarting = false;
            fail("the map service started in place of the one that stopped exited");
            m_watch.stop();
        } else if (answers(m_url, 200)) {
            m_restarting = false;
            m_watch.stop();
            qDebug() << "map service: started again after the one in use stopped";
            emit restarted();
        }
        return;
    }
    if (answers(m_url, 200))
        return;
    m_restarting = launch(m_url);
    if (!m_restarting)
        m_watch.stop();
}

void MapServiceLauncher::stop()
{
    m_watch.stop();
    m_poll.stop();
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
