#pragma once

#include "app/headless/run_headless.h"

#include <QStringList>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#ifdef QUORVANE_HAVE_WEBENGINE
#include "platform/chromium_test_main.h"
#endif

// A headless run in-process, as main() does it, with the program's name and --headless put
// in front; a run that does not end within boundMs aborts the test.
inline int runHeadlessBounded(const QStringList& arguments, QString& out, QString& err, int boundMs = 60'000)
{
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, [] { qFatal("the headless run did not end"); });
    bound.start(boundMs);
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    return runHeadless(QStringList{QStringLiteral("quorvane"), QStringLiteral("--headless")} + arguments,
                       outStream, errStream);
}

// The engines a table of headless runs has rows for: net, and chromium where it is built.
inline QStringList searchEngines()
{
#ifdef QUORVANE_HAVE_WEBENGINE
    return {QStringLiteral("net"), QStringLiteral("chromium")};
#else
    return {QStringLiteral("net")};
#endif
}

// main() of such a table: Chromium is prepared before the application object.
#ifdef QUORVANE_HAVE_WEBENGINE
#define QUORVANE_ENGINES_TEST_MAIN(TestObject) QUORVANE_CHROMIUM_TEST_MAIN(TestObject)
#else
#define QUORVANE_ENGINES_TEST_MAIN(TestObject) QTEST_GUILESS_MAIN(TestObject)
#endif
