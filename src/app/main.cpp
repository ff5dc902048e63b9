#include "app/headless/run_headless.h"
#include "app/window/run_window.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") != 0)
            continue;
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return runHeadless(QCoreApplication::arguments(), out, err);
    }
    return runWindow(argc, argv);
}
