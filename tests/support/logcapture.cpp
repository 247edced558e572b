#include "logcapture.h"

namespace {
QList<QPair<QtMsgType, QString>> g_entries;
LogCapture *g_active = nullptr;
QtMessageHandler g_forward = nullptr;
}

LogCapture::LogCapture()
{
    g_entries.clear();
    g_active = this;
    m_previous = qInstallMessageHandler(&LogCapture::handler);
    g_forward = m_previous;
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
    g_active = nullptr;
    g_forward = nullptr;
}

void LogCapture::handler(QtMsgType type, const QMessageLogContext &ctx, const QString &msg)
{
    g_entries.append(qMakePair(type, msg));
    // Keep QtTest's own handling (warnings in the output, ignoreMessage, fatal).
    if (g_forward && type != QtDebugMsg)
        g_forward(type, ctx, msg);
}

QList<QPair<QtMsgType, QString>> LogCapture::entries() const
{
    return g_entries;
}

QStringList LogCapture::lines() const
{
    QStringList out;
    for (const auto &e : g_entries)
        out << e.second;
    return out;
}

QStringList LogCapture::lines(QtMsgType type) const
{
    QStringList out;
    for (const auto &e : g_entries)
        if (e.first == type)
            out << e.second;
    return out;
}

int LogCapture::indexOf(const QString &line, int from) const
{
    return lines().indexOf(line, from);
}

void LogCapture::clear()
{
    g_entries.clear();
}
