#include "app/headless/headless_options.h"
#include "app/headless/run_headless.h"
#include "app/window/run_window.h"

#include <QCoreApplication>
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
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return runHeadless(QCoreApplication::arguments(), out, err);
    }
    if (const std::optional<QString> reason = windowUnavailable(arguments)) {
        std::fputs(reason->toLocal8Bit().constData(), stderr);
        return 2;
    }
    return runWindow(argc, argv);
}
