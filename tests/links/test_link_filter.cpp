#include "links/link_filter.h"

#include <QTest>

#include <optional>

class TestLinkFilter : public QObject {
    Q_OBJECT
private slots:
    void extension_data();
    void extension();
    void harvest_data();
    void harvest();
};

void TestLinkFilter::extension_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("expected");

    QTest::newRow("page") << "http://h/x.htm" << "htm";
    QTest::newRow("query") << "http://h/page.asp?id=1" << "";
    QTest::newRow("short query") << "http://h/p.as?i=1" << "as?i=1";
    QTest::newRow("type in query") << "http://a.h.com/p.asp?id=1.jpg" << "jpg";
    QTest::newRow("fragment") << "http://h/x.htm#a.b" << "htm";
    QTest::newRow("directory") << "http://h/dir/" << "";
    QTest::newRow("backslash") << "http://h/a.b\\c" << "";
    QTest::newRow("host only") << "http://h.com" << "com";
    QTest::newRow("spaces") << "http://h/x. zip " << "zip";
    QTest::newRow("six letters") << "x.abcdef" << "abcdef";
    QTest::newRow("seven letters") << "x.abcdefg" << "";
    QTest::newRow("ends in dot") << "x." << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("punctuation") << "#./\\#." << "";
}

void TestLinkFilter::extension()
{
    QFETCH(QString, address);
    QFETCH(QString, expected);
    QCOMPARE(getLinkExtension(address), expected);
}

void TestLinkFilter::harvest_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("expected"); // "-" when the link is skipped

    QTest::newRow("page") << "http://a.h.com/x.htm" << "http://a.h.com/x.htm";
    QTest::newRow("trailing #") << "http://a.h.com/x.htm#" << "http://a.h.com/x.htm";
    QTest::newRow("only one # removed") << "http://a.h.com/x.htm##" << "http://a.h.com/x.htm#";
    QTest::newRow("fragment stays") << "http://a.h.com/x.htm#s" << "http://a.h.com/x.htm#s";
    QTest::newRow("spaces trimmed") << "  http://a.h.com/x.htm # " << "http://a.h.com/x.htm ";
    QTest::newRow("letter case kept") << "HTTP://A.H.COM/X.HTM" << "HTTP://A.H.COM/X.HTM";
    QTest::newRow("https") << "https://a.h.com/x.htm" << "https://a.h.com/x.htm";
    QTest::newRow("excluded type") << "http://a.h.com/f.zip" << "-";
    QTest::newRow("excluded type, capitals") << "http://a.h.com/f.PDF" << "-";
    QTest::newRow("piece of an excluded type") << "http://a.h.com/login.do" << "http://a.h.com/login.do";
    QTest::newRow("one letter type") << "http://a.h.com/x.p" << "http://a.h.com/x.p";
    QTest::newRow("type in query") << "http://a.h.com/p.asp?id=1.jpg" << "-";
    QTest::newRow("long query") << "http://a.h.com/p.asp?id=1" << "http://a.h.com/p.asp?id=1";
    QTest::newRow("directory") << "http://a.h.com/dir/" << "http://a.h.com/dir/";
    QTest::newRow("other site") << "http://b.com/x.htm" << "-";
    QTest::newRow("piece of the site") << "http://a.h.co/x.htm" << "-";
    QTest::newRow("script") << "javascript:open1(3)" << "-";
    QTest::newRow("mailto") << "mailto:a@h.com" << "-";
    QTest::newRow("ftp") << "ftp://a.h.com/x" << "-";
    QTest::newRow("scheme only") << "http://" << "-";
    QTest::newRow("empty") << "" << "-";
    QTest::newRow("only #") << "#" << "-";
    QTest::newRow("tab before") << "\thttp://a.h.com/" << "-";
}

void TestLinkFilter::harvest()
{
    QFETCH(QString, link);
    QFETCH(QString, expected);
    SiteList sites;
    sites.addStartSite(QStringLiteral("http://www.h.com/"));
    const std::optional<QString> address = harvestableAddress(link, sites);
    QCOMPARE(address.value_or(QStringLiteral("-")), expected);
}

QTEST_GUILESS_MAIN(TestLinkFilter)
#include "test_link_filter.moc"
