#pragma once

// main() of a test that runs Chromium: its runtime is prepared before the application object.

#include "platform/chromium/chromium_runtime.h"

#include <QApplication>
#include <QTest>

#define QUORVANE_CHROMIUM_TEST_MAIN(TestObject)                                                    \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        prepareChromiumRuntime();                                                                  \
        QApplication app(argc, argv);                                                              \
        TestObject test;                                                                           \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
