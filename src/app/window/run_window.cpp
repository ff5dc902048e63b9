#include "app/window/run_window.h"

#include "app/window/form1.h"
#include "build_info.h"

#include <QApplication>

int runWindow(int& argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(BuildInfo::title));
    Form1 form;
    form.show();
    return app.exec();
}
