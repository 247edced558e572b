#ifndef TESTMAIN_H
#define TESTMAIN_H

#include "testhome.h"

#include <QApplication>
#include <QtTest>

// Like QTEST_MAIN, but the home folders are private to the run before the
// application object exists, and the settings store is named as the app names it.
#define MARLU_TEST_MAIN(TestObject)                                   \
    int main(int argc, char *argv[])                                  \
    {                                                                 \
        TestHome home;                                                \
        QApplication app(argc, argv);                                 \
        app.setAttribute(Qt::AA_Use96Dpi, true);                      \
        app.setQuitOnLastWindowClosed(false);                         \
        QCoreApplication::setOrganizationName("Pelmark");             \
        QCoreApplication::setApplicationName("Marlu");                \
        TestObject tc;                                                \
        QTEST_SET_MAIN_SOURCE_PATH                                    \
        return QTest::qExec(&tc, argc, argv);                         \
    }

#endif
