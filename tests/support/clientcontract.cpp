#include "clientcontract.h"

#include <QMetaMethod>
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
