// The full program: the window, and the search without one on either engine. quorvane
// starts it for everything but --help, --version and a search on the net engine.

#include "app/headless/headless_options.h"
#include "app/headless/run_headless.h"
#include "app/window/run_window.h"
#include "platform/worker_threads.h"

#include <QCoreApplication>
#ifdef QUORVANE_HAVE_WEBENGINE
#include "platform/chromium/chromium_runtime.h"

#include <QApplication>
#endif
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv)
{
    // --help, --version and the display check come before any application object, which
    // would open the display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (const std::optional<QString> text = informationRequested(arguments)) {
        std::fputs(text->toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (arguments.contains(QStringLiteral("--headless"))) {
        QTextStream out(stdout);
        QTextStream err(stderr);
#ifdef QUORVANE_HAVE_WEBENGINE
        if (asksForChromium(arguments)) {
            // Chromium needs a GUI application, but no display.
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            prepareChromiumRuntime();
            QApplication app(argc, argv);
            return runHeadless(QCoreApplication::arguments(), out, err);
        }
#endif
        QCoreApplication app(argc, argv);
        return runHeadless(QCoreApplication::arguments(), out, err);
    }
    if (const std::optional<QString> reason = windowUnavailable(arguments)) {
        std::fputs(reason->toLocal8Bit().constData(), stderr);
        return 2;
    }
#ifdef QUORVANE_HAVE_WEBENGINE
    prepareChromiumRuntime();
#endif
    // Pages are parsed and read beside the window, so it keeps answering.
    setWorkerThreads(defaultWorkerThreads());
    return runWindow(argc, argv);
}
