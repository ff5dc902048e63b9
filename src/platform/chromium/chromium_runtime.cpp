#include "platform/chromium/chromium_runtime.h"

#include <QCoreApplication>
#include <QByteArray>
#include <QLoggingCategory>

#include <unistd.h>

void prepareChromiumRuntime()
{
    // Nothing but the searched pages may reach the network: no updates, no sync, no
    // prefetching, no crash reports.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    for (const char* flag : {"--disable-background-networking", "--disable-component-update",
                             "--disable-sync", "--no-first-run", "--disable-gpu",
                             "--disable-breakpad", "--disable-domain-reliability",
                             "--no-pings", "--dns-prefetch-disable"}) {
        if (!flags.contains(flag))
            flags += QByteArray(flags.isEmpty() ? "" : " ") + flag;
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Chromium's start-up report is not the program's output.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
}
