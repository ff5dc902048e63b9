#include "app/window/run_window.h"

#include "app/window/form1.h"
#include "build_info.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

int runWindow(int& argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(BuildInfo::title));
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dataFolder); // when it cannot be made, the window says so once
    Form1 form(nullptr, nullptr, QDir(dataFolder).filePath(QStringLiteral("session.sqlite")));
    form.show();
    return app.exec();
}
