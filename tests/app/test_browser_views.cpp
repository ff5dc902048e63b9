#include "app/window/browser_view.h"
#include "app/window/source_view.h"
#include "fake_browser.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>

namespace {

DocumentPtr page(const QString& markup, bool isHtml = true)
{
    DocumentData data;
    data.isHtml = isHtml;
    data.markup = std::make_shared<const QString>(markup);
    return std::make_shared<const Document>(std::move(data));
}

} // namespace

class TestBrowserViews : public QObject {
    Q_OBJECT
private slots:
    void browserViewShowsAddressAndPage_data();
    void browserViewShowsAddressAndPage();
    void pagesNeverReadLocalFiles();
    void hiddenViewRendersWhenShown();
    void sourceViewShowsTheLastCompletedPage();
};

void TestBrowserViews::browserViewShowsAddressAndPage_data()
{
    QTest::addColumn<QString>("markup");
    QTest::addColumn<bool>("isHtml");
    QTest::addColumn<QString>("shown");

    QTest::newRow("html") << "<html><body><p>Hello <b>pictures</b></p></body></html>" << true
                          << "Hello pictures";
    QTest::newRow("not html") << "<b>plain</b>" << false << "<b>plain</b>";
    QTest::newRow("no document") << QString() << true << QString();
}

void TestBrowserViews::browserViewShowsAddressAndPage()
{
    QFETCH(QString, markup);
    QFETCH(bool, isHtml);
    QFETCH(QString, shown);
    FakeBrowser browser;
    browser.location = QStringLiteral("about:blank");
    BrowserView view(browser);
    QCOMPARE(view.shownAddress(), QStringLiteral("about:blank"));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view, 5000));

    browser.navigate(QStringLiteral("http://127.0.0.1:1/page.htm"));
    emit browser.navigateComplete2(browser.location);
    QCOMPARE(view.shownAddress(), QStringLiteral("http://127.0.0.1:1/page.htm"));
    QElapsedTimer timer;
    timer.start();
    browser.complete(markup.isNull() ? DocumentPtr() : page(markup, isHtml));
    QVERIFY(timer.elapsed() < 5000);
    QCOMPARE(view.shownText().trimmed(), shown);
}

void TestBrowserViews::pagesNeverReadLocalFiles()
{
    // A page naming /dev/zero would otherwise never finish loading.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString picture = dir.filePath("local.png");
    QImage(4, 4, QImage::Format_RGB32).save(picture);
    const QUrl url = QUrl::fromLocalFile(picture);
    FakeBrowser browser;
    BrowserView view(browser);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view, 5000));
    browser.navigate(QStringLiteral("http://127.0.0.1:1/page.htm"));
    browser.complete(page("<html><body><img src=\"" + url.toString() + "\"><img src=\"" + picture
                          + "\">ok</body></html>"));
    auto* text = view.findChild<QTextEdit*>();
    QVERIFY(text);
    QCOMPARE(text->toPlainText(), QString(2, QChar::ObjectReplacementCharacter) + "ok");
    QVERIFY(text->document()->resource(QTextDocument::ImageResource, url).isNull());
    QVERIFY(text->document()->resource(QTextDocument::ImageResource, QUrl(picture)).isNull());
}

void TestBrowserViews::hiddenViewRendersWhenShown()
{
    FakeBrowser browser;
    BrowserView view(browser);
    browser.navigate(QStringLiteral("http://127.0.0.1:1/a.htm"));
    browser.complete(page("<p>first</p>"));
    browser.complete(page("<p>second</p>"));
    QCOMPARE(view.shownAddress(), QStringLiteral("http://127.0.0.1:1/a.htm"));
    QCOMPARE(view.shownText(), QString()); // not rendered while hidden
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view, 5000));
    QCOMPARE(view.shownText().trimmed(), QStringLiteral("second"));
}

void TestBrowserViews::sourceViewShowsTheLastCompletedPage()
{
    FakeBrowser first;
    FakeBrowser second;
    SourceView source({&first, &second});
    QCOMPARE(source.toPlainText(), QStringLiteral("RichTextBox1"));
    source.show();
    QVERIFY(QTest::qWaitForWindowExposed(&source, 5000));

    first.navigate(QStringLiteral("http://127.0.0.1:1/one.htm"));
    first.complete(page("<html>one</html>"));
    QCOMPARE(source.toPlainText(), QStringLiteral("<html>one</html>"));
    second.navigate(QStringLiteral("http://127.0.0.1:1/two.htm"));
    second.complete(page("<html>two</html>"));
    QCOMPARE(source.toPlainText(), QStringLiteral("<html>two</html>"));
    // A slot going back to "about:blank" leaves the last page shown.
    first.navigate(QStringLiteral("about:blank"));
    first.complete(page("<html></html>"));
    QCOMPARE(source.toPlainText(), QStringLiteral("<html>two</html>"));
    QVERIFY(source.isReadOnly());
}

QTEST_MAIN(TestBrowserViews)
#include "test_browser_views.moc"
