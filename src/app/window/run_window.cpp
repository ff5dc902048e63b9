#include "app/window/run_window.h"

#include "app/window/form1.h"
#include "build_info.h"

#include <QApplication>

int runWindow(int& argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(BuildInfo::title));
#ifdef QUORVANE_HAVE_WEBENGINE
    Form1 form(nullptr, nullptr, Form1::PageEngine::Chromium); // pages run their scripts
#else
    Form1 form;
#endif
    form.show();
    return app.exec();
}
