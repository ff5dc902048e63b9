// Serves the canned loopback test site on 127.0.0.1 until killed. The first line of standard
// output is the site's base address, "http://127.0.0.1:PORT". An optional argument names
// the port (a free one otherwise).

#include "site/test_site.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char* argv[])
{
    // Started in the background, a shell may have told us to ignore these.
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);

    QCoreApplication app(argc, argv);
    bool portOk = true;
    const quint16 port = argc > 1 ? QString::fromLocal8Bit(argv[1]).toUShort(&portOk) : 0;
    if (!portOk) {
        std::fprintf(stderr, "usage: %s [PORT]\n", argv[0]);
        return 2;
    }
    TestSite site;
    if (!site.listen(port)) {
        std::fprintf(stderr, "%s: cannot listen on 127.0.0.1:%u\n", argv[0], unsigned(port));
        return 1;
    }
    std::printf("%s\n", qPrintable(site.url(QString())));
    std::fflush(stdout);
    return app.exec();
}
