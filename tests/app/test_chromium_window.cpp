// The window on the Chromium engine: each browser tab holds its slot's live page, and a
// search finds the pages of a menu that only a script builds, its requests sending what the
// command line asked.

#include "app/window/form1.h"
#include "platform/chromium/chromium_runtime.h"
#include "site/script_routes.h"
#include "site/test_site.h"
#include "window_test_desktop.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWebEngineView>

class TestChromiumWindow : public QObject {
    Q_OBJECT

private:
    TestDesktop::Shared answers;
    TestSite site;
    std::unique_ptr<Form1> form;

    QWebEngineView* liveView(int slot)
    {
        QWidget* holder = form->findChild<QWidget*>(QStringLiteral("Wb1_%1").arg(slot));
        return holder ? holder->findChild<QWebEngineView*>() : nullptr;
    }

private slots:
    void initTestCase()
    {
        addScriptRoutes(site);
        QVERIFY(site.listen());
        HttpSettings http;
        http.userAgent = "Probe/1";
        http.headers = {"X-Probe: yes"};
        form = std::make_unique<Form1>(std::make_unique<TestDesktop>(answers), nullptr,
                                       QString(), EngineChoice{EngineKind::Chromium, http});
        form->show();
    }

    void everyTabHoldsItsLivePage_data()
    {
        QTest::addColumn<int>("slot");
        QTest::newRow("Wb1(0)") << 0;
        QTest::newRow("Wb1(1)") << 1;
        QTest::newRow("Wb1(2)") << 2;
    }
    void everyTabHoldsItsLivePage()
    {
        QFETCH(int, slot);
        QWebEngineView* view = liveView(slot);
        QVERIFY(view);
        QVERIFY(!view->testAttribute(Qt::WA_DontShowOnScreen));
        for (int other = 0; other < 3; ++other)
            QVERIFY(other == slot || liveView(other) != view);
    }

    void searchFollowsAScriptMenu()
    {
        form->findChild<QPlainTextEdit*>(QStringLiteral("Text1"))->setPlainText(site.url(QStringLiteral("/js/menu.htm")) + "\n");
        form->findChild<QPushButton*>(QStringLiteral("Command3"))->click();
        QTRY_COMPARE_WITH_TIMEOUT(liveView(0)->url().toString(), site.url(QStringLiteral("/js/menu.htm")), 15'000);
        // The start page, then the two pages its script linked.
        QTRY_COMPARE_WITH_TIMEOUT(form->session().pageTable().size(), 3, 30'000);
        QCOMPARE(form->session().pageTable().row(2).address, site.url(QStringLiteral("/js/menu_one.htm")));
        // As the command line asked: the pages and robots.txt alike.
        for (const QString& path : {QStringLiteral("/js/menu.htm"), QStringLiteral("/robots.txt")}) {
            const QByteArray head = site.lastRequestHead(path) + "\r\n";
            QVERIFY2(head.contains("\r\nUser-Agent: Probe/1\r") && head.contains("\r\nX-Probe: yes\r"), head.constData());
        }
        form->findChild<QPushButton*>(QStringLiteral("Command4"))->click();
    }
};

int main(int argc, char** argv)
{
    prepareChromiumRuntime();
    QApplication app(argc, argv);
    TestChromiumWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_chromium_window.moc"
