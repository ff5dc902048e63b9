#include "links/site_scope.h"

#include <QTest>

class TestSiteScope : public QObject {
    Q_OBJECT
private slots:
    void siteDomain_data();
    void siteDomain();
    void inScope_data();
    void inScope();
    void adding_data();
    void adding();
};

void TestSiteScope::siteDomain_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("expected");

    QTest::newRow("host") << "http://web.a.com/x/y.htm" << "a.com";
    QTest::newRow("two labels") << "http://a.com" << "a.com";
    QTest::newRow("letter case kept") << "HTTP://News.A.Com/" << "A.Com";
    QTest::newRow("second-level suffix") << "http://web.a.com.cn/" << "a.com.cn";
    QTest::newRow("tw suffix") << "http://bbs.x.gov.tw/p" << "x.gov.tw";
    QTest::newRow("country only") << "http://web.a.cn/" << "a.cn";
    QTest::newRow("numeric") << "http://192.168.0.10/x" << "192.168.0.10";
    QTest::newRow("numeric with port") << "http://192.168.0.10:81/x" << "0.10:81";
    QTest::newRow("port") << "http://web.a.com:81/x" << "a.com:81";
    QTest::newRow("other scheme") << "ftp://h.a.com/x" << "ftp:";
    QTest::newRow("piece of suffix list") << "http://h.x.om.cn/" << "x.om.cn";
    QTest::newRow("https") << "https://web.a.com/x" << "a.com";
    QTest::newRow("HTTPS") << "HTTPS://Web.A.com.CN" << "A.com.CN";
    QTest::newRow("no scheme") << "web.a.com/x" << "a.com";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("empty host") << "http:///x" << "";
    QTest::newRow("dots only") << "http://.../" << "..";
    QTest::newRow("trailing dot") << "http://a.b.com./" << "b.com.";
    QTest::newRow("long host") << "http://" + QString(40000, u'a') + ".b.c/" << "b.c";
}

void TestSiteScope::siteDomain()
{
    QFETCH(QString, address);
    QFETCH(QString, expected);
    QCOMPARE(getSiteDomain(address), expected);
}

void TestSiteScope::inScope_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("expected");

    QTest::newRow("same site") << "http://web.a.com/x" << true;
    QTest::newRow("any letter case") << "http://WEB.A.COM/X" << true;
    QTest::newRow("https") << "https://a.com/" << true;
    QTest::newRow("other site") << "http://b.com/x" << false;
    QTest::newRow("part of an entry") << "http://a.co/x" << false;
    QTest::newRow("entry is part of it") << "http://xa.com/" << false;
    QTest::newRow("two entries joined") << "http://a.com|b.com/" << false;
    QTest::newRow("second entry") << "http://www.b.com.cn/" << true;
    QTest::newRow("empty site domain") << "http:///x" << false;
    QTest::newRow("empty address") << "" << false;
    QTest::newRow("separator") << "|" << false;
}

void TestSiteScope::inScope()
{
    QFETCH(QString, address);
    QFETCH(bool, expected);
    SiteList sites;
    sites.addStartSite(QStringLiteral("http://web.a.com/"));
    sites.addStartSite(QStringLiteral("http://b.com.cn/"));
    QCOMPARE(sites.text(), QStringLiteral("|a.com|b.com.cn"));
    QCOMPARE(sites.inScope(address), expected);
}

void TestSiteScope::adding_data()
{
    QTest::addColumn<QStringList>("starts");
    QTest::addColumn<QString>("expected");

    QTest::newRow("same site twice") << QStringList{"http://web.a.com/", "http://bbs.a.com/"} << "|a.com";
    QTest::newRow("letter case") << QStringList{"http://a.com/", "HTTP://WWW.A.COM/"} << "|a.com";
    QTest::newRow("piece of an entry") << QStringList{"http://a.com/", "http://a.co/"} << "|a.com|a.co";
    QTest::newRow("empty site domain") << QStringList{"http:///x", ""} << "";
    QTest::newRow("empty, then a site") << QStringList{"", "http://a.com"} << "|a.com";
    QTest::newRow("none") << QStringList{} << "";
}

void TestSiteScope::adding()
{
    QFETCH(QStringList, starts);
    QFETCH(QString, expected);
    SiteList sites;
    for (const QString& start : starts)
        sites.addStartSite(start);
    QCOMPARE(sites.text(), expected);
    QVERIFY(!sites.inScope(QStringLiteral("http:///")));
}

QTEST_GUILESS_MAIN(TestSiteScope)
#include "test_site_scope.moc"
