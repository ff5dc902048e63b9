#include "app/headless/run_headless.h"
#include "app/window/run_window.h"

#include <QCoreApplication>
#ifdef QUORVANE_HAVE_WEBENGINE
#include "platform/chromium/chromium_runtime.h"

#include <QApplication>
#endif
#include <QTextStream>

#include <cstdio>
#include <cstring>

namespace {

bool hasArgument(int argc, char** argv, const char* argument)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], argument) == 0)
            return true;
    }
    return false;
}

#ifdef QUORVANE_HAVE_WEBENGINE
// "--engine chromium" or "--engine=chromium".
bool asksForChromium(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--engine=chromium") == 0)
            return true;
        if (std::strcmp(argv[i], "--engine") == 0 && i + 1 < argc && std::strcmp(argv[i + 1], "chromium") == 0)
            return true;
    }
    return false;
}
#endif

} // namespace

int main(int argc, char** argv)
{
    if (hasArgument(argc, argv, "--headless")) {
        QTextStream out(stdout);
        QTextStream err(stderr);
#ifdef QUORVANE_HAVE_WEBENGINE
        if (asksForChromium(argc, argv)) {
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
#ifdef QUORVANE_HAVE_WEBENGINE
    prepareChromiumRuntime();
#endif
    return runWindow(argc, argv);
}
