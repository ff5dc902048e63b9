// The full program: the window, and the search without one on either engine. quorvane
// starts it for the window and the Chromium engine.

#include "app/engines/engine_factory.h"
#include "app/headless/headless_options.h"
#include "app/headless/run_headless.h"
#include "app/headless/run_without_window.h"
#include "app/window/run_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    // --help, --version and the display check come before any application object, which
    // would open the display.
    if (const std::optional<int> status = runWithoutWindow(argc, argv))
        return *status;
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (arguments.contains(QStringLiteral("--headless"))) {
        // The Chromium engine is asked for.
        QTextStream out(stdout);
        QTextStream err(stderr);
        // Chromium needs a GUI application, but no display. Without it, the search says
        // that the engine is not part of this build.
        std::unique_ptr<QCoreApplication> app;
        if (chromiumInBuild()) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            prepareEngineRuntime();
            app = std::make_unique<QApplication>(argc, argv);
        } else {
            app = std::make_unique<QCoreApplication>(argc, argv);
        }
        return runHeadless(QCoreApplication::arguments(), out, err);
    }
    if (const std::optional<QString> reason = windowUnavailable(arguments)) {
        std::fputs(reason->toLocal8Bit().constData(), stderr);
        return 2;
    }
    prepareEngineRuntime();
    return runWindow(argc, argv);
}
