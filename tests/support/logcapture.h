#ifndef LOGCAPTURE_H
#define LOGCAPTURE_H

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Records every message that goes through Qt's message handler while it lives.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();

    QList<QPair<QtMsgType, QString>> entries() const;
    QStringList lines() const;                 // every message, in order
    QStringList lines(QtMsgType type) const;   // messages of one level
    int indexOf(const QString &line, int from = 0) const;
    void clear();

private:
    static void handler(QtMsgType type, const QMessageLogContext &ctx, const QString &msg);
    QtMessageHandler m_previous;
};

#endif
