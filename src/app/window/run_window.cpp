#include "app/window/run_window.h"

#include "app/headless/headless_options.h"
#include "app/window/form1.h"
#include "app/window/window_language.h"
#include "base/worker_threads.h"
#include "build_info.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include <cstdio>

int runWindow(int& argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const std::optional<QString> language = windowLanguage(arguments, QLocale::system());
    if (!language) {
        std::fputs("quorvane: bad value for --lang (en or zh)\n", stderr);
        return 2;
    }
    const auto http = parseHttpSettings(arguments);
    if (const auto* error = std::get_if<UsageError>(&http)) {
        std::fprintf(stderr, "%s\n", qPrintable(error->message));
        return 2;
    }
    if (chromiumInBuild() && !std::get<HttpSettings>(http).caFile.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(chromiumCaFileRefusal()));
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(BuildInfo::title));
    installWindowLanguage(*language);
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dataFolder); // when it cannot be made, the window says so once
    const QString sessionFile = QDir(dataFolder).filePath(QStringLiteral("session.sqlite"));
    EngineChoice engine;
    engine.kind = chromiumInBuild() ? EngineKind::Chromium : EngineKind::Net; // pages run their scripts
    engine.http = std::get<HttpSettings>(http);
    // Pages are parsed and read beside the window, so it keeps answering.
    WorkerThreads workers(WorkerThreads::defaultCount());
    Form1 form(nullptr, nullptr, sessionFile, engine, &workers);
    form.session().siteRules().setPoliteness(parsePoliteness(arguments));
    form.show();
    return app.exec();
}
