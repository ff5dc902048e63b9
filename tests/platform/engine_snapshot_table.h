#pragma once

// One table of what a snapshot of the canned site holds, for pages without scripts, run
// against every engine: the core must not be able to tell them apart.

#include "net_test_support.h"
#include "platform/browser.h"
#include "site/test_site.h"

#include <QHash>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>

// Columns: path (or "about:blank"), probe, expected. A probe is "title", "url", "location", "background",
// "html", "failed", "at commit" (the URL of the browser's document when navigateComplete2
// came, "<none>" without one), "frames" (the frame tree), "links" (the hrefs), "count TAG", or
// "TAG[i].member". In expected, "@/x" stands for the site's address of /x and "<none>" for a
// member the element lacks.
inline void addEngineSnapshotRows()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("probe");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, const char* path, const char* probe, const QString& expected) {
        QTest::newRow(name) << QString::fromLatin1(path) << QString::fromLatin1(probe) << expected;
    };
    row("home title", "/", "title", "Quorvane test site");
    row("home body background raw", "/", "background", "img/bg.gif");
    row("home url", "/", "url", "@/");
    row("home img src absolute", "/", "IMG[0].src", "@/img/logo.gif");
    row("embed src", "/pictures.htm", "EMBED[0].src", "@/img/anim.gif");
    row("embed type", "/pictures.htm", "EMBED[0].type", "image/gif");
    row("embed outerHTML", "/pictures.htm", "EMBED[0].outerhtml", "<embed src=\"img/anim.gif\" type=\"image/gif\">");
    row("td background raw", "/pictures.htm", "TD[0].background", "img/cell.gif");
    row("td without background", "/pictures.htm", "TD[1].background", "<none>");
    row("td outerHTML", "/pictures.htm", "TD[0].outerhtml", "<td background=\"img/cell.gif\">cell</td>");
    row("td innerHTML", "/pictures.htm", "TD[0].innerhtml", "cell");
    row("input image src", "/pictures.htm", "INPUT[0].src", "@/img/button.gif");
    row("input submit has no src", "/pictures.htm", "INPUT[1].src", "<none>");
    row("input type raw", "/pictures.htm", "INPUT[1].type", "submit");
    row("img src", "/pictures.htm", "IMG[0].src", "@/img/photo.png");
    row("img size png", "/pictures.htm", "IMG[0].filesize", "5000");
    row("img size gif", "/pictures.htm", "IMG[1].filesize", "2048");
    row("missing picture has no size", "/pictures.htm", "IMG[2].filesize", "<none>");
    row("img without src", "/pictures.htm", "IMG[3].src", "<none>");
    row("img outerHTML", "/pictures.htm", "IMG[1].outerhtml", "<img src=\"img/logo.gif\" alt=\"logo\">");
    row("img count", "/pictures.htm", "count img", "4");
    row("link href", "/pictures.htm", "LINK[0].href", "@/css/site.css");
    row("link rel", "/pictures.htm", "LINK[1].rel", "stylesheet");
    row("link without type", "/pictures.htm", "LINK[1].type", "<none>");
    row("base href for src", "/sub/base.htm", "IMG[0].src", "@/img/logo.gif");
    row("base href for links", "/sub/base.htm", "A[0].href", "@/links.htm");
    row("redirect title", "/redirect.htm", "title", "Redirect target");
    row("redirect url", "/redirect.htm", "url", "@/redirected/target.htm");
    row("redirect src", "/redirect.htm", "IMG[0].src", "@/img/logo.gif");
    row("fragment kept", "/links.htm#top", "location", "@/links.htm#top");
    row("no body background", "/links.htm", "background", "<none>");
    row("links in order", "/links.htm", "links",
        "@/pictures.htm @/frames.htm @/nested.htm @/links.htm#top javascript:open1(3) "
        "mailto:someone@example.invalid @/files/archive.zip @/sub/base.htm ~/away.htm");
    row("link text", "/links.htm", "A[0].innerhtml", "relative");
    row("frame src", "/frames.htm", "FRAME[1].src", "@/frame_b.htm");
    row("frameset", "/frames.htm", "frames", "Frames[Frame A[],Frame B[]]");
    row("nested frames", "/nested.htm", "frames", "Nested frames[Nested 1[Nested 2[]]]");
    row("frame of another site", "/cross_frame.htm", "frames", "Cross frame[-,Frame B[]]");
    row("frame holding its page", "/self_frame.htm", "frames", "Self frame[-]");
    row("gbk title", "/gbk.htm", "title", QStringLiteral("图片测试：镕"));
    row("gbk markup", "/gbk.htm", "IMG[0].outerhtml", QStringLiteral("<img src=\"img/logo.gif\" alt=\"标志\">"));
    row("big5 text", "/big5.htm", "P[0].innerhtml", QStringLiteral("繁體中文網頁"));
    row("shift_jis title", "/sjis.htm", "title", QStringLiteral("画像検索テスト"));
    row("plain text is not html", "/notes", "html", "no");
    row("page is html", "/links.htm", "html", "yes");
    row("page did not fail", "/links.htm", "failed", "no");
    row("404 fails", "/missing.htm", "failed", "yes");
    row("500 fails", "/error.htm", "failed", "yes");
    row("failed page is empty", "/error.htm", "count img", "0");
    row("blank page", "about:blank", "url", "about:blank");
    row("blank page did not fail", "about:blank", "failed", "no");
    row("blank page is html", "about:blank", "html", "yes");
    // Nothing can act on a page's document when its response arrives: there is none yet.
    row("no document at commit", "/pictures.htm", "at commit", "<none>");
    row("no document at commit after a page", "/links.htm", "at commit", "<none>");
    row("blank document at commit", "about:blank", "at commit", "about:blank");
}

// Loads each page once and answers the probes of the table.
class EngineSnapshotProbe {
public:
    EngineSnapshotProbe(Browser& browser, const TestSite& site, int timeoutMs)
        : m_browser(browser), m_site(site), m_timeoutMs(timeoutMs)
    {
    }

    // The probe's answer, or an explanation when the page did not complete in time.
    QString answer(const QString& path, const QString& probe)
    {
        if (!m_loaded.contains(path))
            m_loaded.insert(path, load(path));
        const Loaded& loaded = m_loaded[path];
        if (!loaded.document)
            return QStringLiteral("<no completion>");
        const Document& d = *loaded.document;
        if (probe == QLatin1String("title"))
            return d.title();
        if (probe == QLatin1String("url"))
            return d.URL();
        if (probe == QLatin1String("location"))
            return d.location();
        if (probe == QLatin1String("background"))
            return d.bodyBackground().value_or(QStringLiteral("<none>"));
        if (probe == QLatin1String("html"))
            return d.isHtml() ? QStringLiteral("yes") : QStringLiteral("no");
        if (probe == QLatin1String("failed"))
            return loaded.failed ? QStringLiteral("yes") : QStringLiteral("no");
        if (probe == QLatin1String("at commit"))
            return loaded.atCommit;
        if (probe == QLatin1String("frames"))
            return ::frameTree(loaded.document);
        if (probe == QLatin1String("links")) {
            QStringList hrefs;
            for (const Element& link : d.links())
                hrefs.append(link.href().value_or(QStringLiteral("<none>")));
            return hrefs.join(u' ');
        }
        if (probe.startsWith(QLatin1String("count ")))
            return QString::number(d.getElementsByTagName(probe.mid(6)).size());
        const qsizetype open = probe.indexOf(u'[');
        const qsizetype close = probe.indexOf(QLatin1String("]."));
        const QList<Element> elements = d.getElementsByTagName(probe.left(open));
        const int index = probe.mid(open + 1, close - open - 1).toInt();
        if (index >= elements.size())
            return QStringLiteral("<no element>");
        return ::memberText(elements.at(index), probe.mid(close + 2));
    }

    // Compares the answer to the probe of the current row of a table made as above.
    void checkRow()
    {
        QFETCH(QString, path);
        QFETCH(QString, probe);
        QFETCH(QString, expected);
        QCOMPARE(answer(path, probe), expand(expected));
    }

    QString expand(QString expected) const
    {
        expected.replace(QLatin1String("~/"), m_site.otherHostUrl(QStringLiteral("/")));
        expected.replace(QLatin1String("@/"), m_site.url(QStringLiteral("/")));
        return expected;
    }

private:
    struct Loaded {
        DocumentPtr document;
        bool failed = false;
        QString atCommit;
    };

    Loaded load(const QString& path)
    {
        const QString address = path.startsWith(QLatin1String("about:")) ? path : m_site.url(path);
        QString atCommit = QStringLiteral("<no commit>");
        const QMetaObject::Connection commit =
            QObject::connect(&m_browser, &Browser::navigateComplete2, &m_browser, [this, &atCommit] {
                const DocumentPtr shown = m_browser.document();
                atCommit = shown ? shown->URL() : QStringLiteral("<none>");
            });
        const DocumentPtr document = loadPage(m_browser, address, m_timeoutMs);
        QObject::disconnect(commit);
        return {document, document && m_browser.navigationFailed(), atCommit};
    }

    Browser& m_browser;
    const TestSite& m_site;
    int m_timeoutMs;
    QHash<QString, Loaded> m_loaded;
};
