#pragma once

#include "app/headless/run_headless.h"

#include <QStringList>
#include <QTextStream>
#include <QTimer>

// A headless run in-process, as main() does it, with the program's name and --headless put
// in front; a run that does not end within the bound aborts the test.
inline int runHeadlessBounded(const QStringList& arguments, QString& out, QString& err)
{
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, [] { qFatal("the headless run did not end"); });
    bound.start(60'000);
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    return runHeadless(QStringList{QStringLiteral("quorvane"), QStringLiteral("--headless")} + arguments,
                       outStream, errStream);
}
