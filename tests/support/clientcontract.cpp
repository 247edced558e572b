#include "clientcontract.h"

#include "logcapture.h"

#include <QMetaMethod>
#include <QSignalSpy>
#include <QTest>

void verifyClientMetaObject(const QMetaObject &mo, const char *className)
{
    QCOMPARE(mo.className(), className);
    QCOMPARE(mo.methodCount() - mo.methodOffset(), 2);
    const QMetaMethod finish = mo.method(mo.methodOffset());
    QCOMPARE(finish.methodSignature(), QByteArray("finish(bool,QString)"));
    QCOMPARE(finish.methodType(), QMetaMethod::Signal);
    QCOMPARE(finish.parameterNames(), (QList<QByteArray>{"success", "error"}));
    const QMetaMethod slot = mo.method(mo.methodOffset() + 1);
    QCOMPARE(slot.methodSignature(), QByteArray("onFinished()"));
    QCOMPARE(slot.methodType(), QMetaMethod::Slot);
    QCOMPARE(slot.access(), QMetaMethod::Public);
    QCOMPARE(mo.propertyCount(), mo.propertyOffset());
}

void verifyFailureReport(const QSignalSpy &spy, const LogCapture &log, const QString &userText,
                         const QString &critical)
{
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first().at(0).toBool(), false);
    const QString text = spy.first().at(1).toString();
    QVERIFY2(text.startsWith(userText), qPrintable(text));
    const QStringList lines = log.lines(QtCriticalMsg);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().startsWith(critical), qPrintable(lines.first()));
}
