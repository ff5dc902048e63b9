#pragma once

#include "app/headless/run_headless.h"

#include <QStringList>
#include <QTextStream>
#include <QTimer>

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
