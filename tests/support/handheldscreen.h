#ifndef HANDHELDSCREEN_H
#define HANDHELDSCREEN_H

#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

// For the cases registered as HANDHELD: they run on the 800x480 display with its
// 56-pixel status panel, and skip in the suite's ordinary run.
#define MARLU_REQUIRE_HANDHELD_SCREEN()                                                        \
    do {                                                                                       \
        if (!qEnvironmentVariableIsSet("MARLU_HANDHELD_SCREEN"))                               \
            QSKIP("runs on the handheld's display (the _800x480 test)");                       \
        QCOMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 800, 480));         \
        QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 56, 800, 424)); \
    } while (false)

#endif
