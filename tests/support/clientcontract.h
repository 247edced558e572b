#ifndef CLIENTCONTRACT_H
#define CLIENTCONTRACT_H

#include <QMetaObject>

// What every web-service client offers its caller: a class of the given name
// whose own meta-object holds the signal finish(bool success, QString error),
// then the public slot onFinished(), and no properties.
void verifyClientMetaObject(const QMetaObject &mo, const char *className);

#endif
