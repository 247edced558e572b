#ifndef TESTMAIN_H
#define TESTMAIN_H

#include "testhome.h"

#include <QApplication>
#include <QScreen>
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

// Opens the cases registered as HANDHELD, which run on the 800x480 display with its
// 56-pixel status panel and skip in the suite's ordinary run.
#define MARLU_REQUIRE_HANDHELD_SCREEN()                                                   \
    if (!qEnvironmentVariableIsSet("MARLU_HANDHELD_SCREEN"))                              \
        QSKIP("runs on the handheld's display (the _800x480 test)");                      \
    QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 56, 800, 424))

#endif
