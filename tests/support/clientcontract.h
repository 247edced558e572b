#ifndef CLIENTCONTRACT_H
#define CLIENTCONTRACT_H

#include <QMetaObject>
#include <QString>

class LogCapture;
class QSignalSpy;

// What every web-service client offers its caller: a class of the given name
// whose own meta-object holds the signal finish(bool success, QString error),
// then the public slot onFinished(), and no properties.
void verifyClientMetaObject(const QMetaObject &mo, const char *className);
// A request that failed: one finish(false, text) whose text starts with
// userText, and one critical log line, which starts with `critical`.
void verifyFailureReport(const QSignalSpy &spy, const LogCapture &log, const QString &userText,
                         const QString &critical);

#endif
