#include "app/headless/run_without_window.h"

#include "app/headless/headless_options.h"
#include "app/headless/run_headless.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

std::optional<int> runWithoutWindow(int& argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (const std::optional<QString> text = informationRequested(arguments)) {
        std::fputs(text->toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (!arguments.contains(QStringLiteral("--headless")) || asksForChromium(arguments))
        return std::nullopt;
    // Qt's own event dispatcher, not GLib's: that one writes to its wake-up descriptor for
    // every event posted, and a search posts several for each of its thousands of requests.
    qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runHeadless(QCoreApplication::arguments(), out, err);
}
