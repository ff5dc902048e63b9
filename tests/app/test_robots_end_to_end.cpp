#include "app/site_rules.h"
#include "bounded_headless_run.h"
#include "site/picture_bytes.h"
#include "site/test_site.h"

#include <QTest>

#include <memory>

namespace {

using Routes = QList<std::pair<QString, TestRoute>>;

TestRoute text(const QByteArray& body, int status = 200, const QByteArray& type = "text/plain")
{
    return htmlRoute(body, status, type);
}

QByteArray urlset(const QString& address)
{
    return "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\"><url><loc>" + address.toUtf8()
           + "</loc></url></urlset>";
}

const QByteArray privateFolder = "User-agent: *\nDisallow: /r/private/\n";

} // namespace

// The search on the loopback site with a robots.txt and sitemaps; "{site}" in a body stands
// for the site's address, and a file named .gz is served packed.
class TestRobotsEndToEnd : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestSite> site;

    QStringList requestedPaths() const
    {
        QStringList paths;
        for (const QString& request : site->requestLog())
            paths.append(request.section(QLatin1Char(' '), 1));
        return paths;
    }

private slots:
    void init()
    {
        site = std::make_unique<TestSite>();
        QVERIFY(site->listen());
        site->setRoute(QStringLiteral("/r/index.htm"),
                       htmlRoute("<a href=\"open.htm\">o</a> <a href=\"private/secret.htm\">s</a>"));
        site->setRoute(QStringLiteral("/r/open.htm"), htmlRoute("open"));
        site->setRoute(QStringLiteral("/r/private/secret.htm"), htmlRoute("secret"));
        site->setRoute(QStringLiteral("/r/unlinked.htm"), htmlRoute("only a sitemap names me"));
    }
    void cleanup() { site.reset(); }

    void searchObeysTheSite_data()
    {
        QTest::addColumn<Routes>("routes");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("loaded");
        QTest::addColumn<QStringList>("neverAsked");
        QTest::addColumn<QString>("said");

        const QStringList all{"/r/index.htm", "/r/open.htm", "/r/private/secret.htm"};
        QTest::newRow("disallowed folder")
            << Routes{{"/robots.txt", text(privateFolder)}} << QStringList{}
            << QStringList{"/robots.txt", "/r/index.htm", "/r/open.htm"} << QStringList{"/r/private/secret.htm"}
            << "1 links left out as robots.txt asks";
        QTest::newRow("--ignore-robots")
            << Routes{{"/robots.txt", text(privateFolder)}} << QStringList{"--ignore-robots"} << all
            << QStringList{"/robots.txt"} << "";
        // Without timers, the search wakes itself when the site opens again.
        QTest::newRow("Crawl-delay")
            << Routes{{"/robots.txt", text("User-agent: *\nCrawl-delay: 1\n")}} << QStringList{} << all
            << QStringList{} << "";
        QTest::newRow("robots.txt answers 503")
            << Routes{{"/robots.txt", text("busy", 503)}} << QStringList{}
            << QStringList{"/robots.txt", "/r/index.htm"} << QStringList{"/r/open.htm", "/sitemap.xml"}
            << "could not be read";
        TestRoute stalled = text("User-agent: *\n");
        stalled.neverFinish = true;
        QTest::newRow("robots.txt that stalls")
            << Routes{{"/robots.txt", stalled}} << QStringList{} << QStringList{"/r/index.htm"}
            << QStringList{"/r/open.htm"} << "could not be read";
        QTest::newRow("robots.txt past its bound")
            << Routes{{"/robots.txt", text(QByteArray(2 * SiteRules::kMaxRobotsFileBytes, '#'))}} << QStringList{}
            << QStringList{"/r/index.htm"} << QStringList{"/r/open.htm"} << "could not be read";

        const QByteArray index = "<sitemapindex xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\"><sitemap>"
                                 "<loc>{site}/maps/pages.xml.gz</loc></sitemap></sitemapindex>";
        QTest::newRow("gzip sitemap index named by robots.txt")
            << Routes{{"/robots.txt", text("Sitemap: {site}/maps/index.gz\n")},
                      {"/maps/index.gz", text(index, 200, "application/gzip")},
                      {"/maps/pages.xml.gz", text(urlset("{site}/r/unlinked.htm"), 200, "application/octet-stream")}}
            << QStringList{} << (all + QStringList{"/r/unlinked.htm"}) << QStringList{"/sitemap.xml"} << "";
        QTest::newRow("/sitemap.xml when robots.txt names none")
            << Routes{{"/sitemap.xml", text(urlset("{site}/r/unlinked.htm"), 200, "application/xml")}}
            << QStringList{} << (all + QStringList{"/robots.txt", "/sitemap.xml", "/r/unlinked.htm"})
            << QStringList{} << "";
        QTest::newRow("--no-sitemaps")
            << Routes{{"/sitemap.xml", text(urlset("{site}/r/unlinked.htm"), 200, "application/xml")}}
            << QStringList{"--no-sitemaps"} << all << QStringList{"/sitemap.xml", "/r/unlinked.htm"} << "";
    }
    void searchObeysTheSite()
    {
        QFETCH(Routes, routes);
        QFETCH(QStringList, options);
        QFETCH(QStringList, loaded);
        QFETCH(QStringList, neverAsked);
        QFETCH(QString, said);
        const QByteArray address = site->url(QString()).toUtf8();
        for (auto [path, route] : routes) {
            route.body.replace("{site}", address);
            if (path.endsWith(QStringLiteral(".gz")))
                route.body = gzipped(route.body);
            site->setRoute(path, route);
        }
        QString out;
        QString err;
        const QStringList pace{"--interval", "0", "--hold", "0", "--timeout", "5"};
        QCOMPARE(runHeadlessBounded(pace + options + QStringList{site->url(QStringLiteral("/r/index.htm"))}, out, err), 0);

        const QStringList paths = requestedPaths();
        for (const QString& path : loaded)
            QVERIFY2(paths.contains(path), qPrintable(path + QStringLiteral(" not in ") + paths.join(u' ')));
        for (const QString& path : neverAsked)
            QVERIFY2(!paths.contains(path), qPrintable(path));
        QVERIFY2(err.contains(said), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestRobotsEndToEnd)
#include "test_robots_end_to_end.moc"
