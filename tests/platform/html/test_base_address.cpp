// References joined to a page's base as text give the very address QUrl gives them, whatever
// the reference and the base.

#include "links/rfc3986_examples.h"
#include "platform/html/base_address.h"

#include <QTest>

class TestBaseAddress : public QObject {
    Q_OBJECT

private slots:
    void sameAsQUrl_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("reference");

        const QStringList bases{
            "http://h.com/dir/page.htm", "http://h.com", "http://h.com/", "http://h.com/dir",
            "https://user:pw@H.com:8443/a/b/?q=1#f", "HTTP://H.COM/Dir/", "http://h.com/a//b/",
            "http://h.com/a/../b/p", "http://h.com/a/./b/p", "http://h.com/d%20e/p", "http://h.com/%2E%2E/p",
            "http://bücher.de/x/", "http://[::1]:8080/x/y", "http://h.com/é/p", "about:blank", "file:///tmp/x.html",
        };
        const QStringList references{
            "a.htm", "img/a.png", "./a.htm", "../a.htm", "../../../../a.htm", "./../a", ".././a", "././a",
            "a/./b", "a/../b", "a/.", "a/..", ".", "..", "./", "../", "/", "/a/b.png", "/a/../b", "/./a",
            "//host/x", "///x", "a//b", ".hidden/x", ".../x", "..a/x", "a/...", "-_.~", "~user/x",
            "a.htm#frag", "a.htm#", "a.htm#x/y", "a.htm#é", "a.htm#a#b", "#frag", "#", "../#top",
            "a.htm?x=1", "?x", "a b.htm", " a.htm ", "a\tb.htm", "a\nb", "é.png", "%41.png", "a%2Fb",
            "a\\b", "\\\\host\\x", "mailto:a@b", "javascript:x()", "HTTP://x/y", "C:/x", "a:b", "",
            "a'b", "a(b)", "a+b", "a=b&c", "a@b", "a!b", "a*b", "a;b", "a,b",
        };
        for (const QString& base : bases) {
            for (const QString& reference : references)
                QTest::addRow("%s on %s", qPrintable(reference), qPrintable(base)) << base << reference;
        }
    }
    void sameAsQUrl()
    {
        QFETCH(QString, base);
        QFETCH(QString, reference);
        QCOMPARE(BaseAddress(QUrl(base)).absolute(reference.toUtf8()), absoluteAddress(QUrl(base), reference));
    }

    // The quick path agrees with the text resolution of the links the engine does not
    // resolve itself: both give the RFC's targets.
    void rfcExamples()
    {
        const BaseAddress base(QUrl(QString::fromLatin1(kRfc3986Base)));
        for (const ResolutionExample& example : kRfc3986Examples)
            QCOMPARE(base.absolute(example.reference), QString::fromLatin1(example.target));
    }
};

QTEST_GUILESS_MAIN(TestBaseAddress)
#include "test_base_address.moc"
