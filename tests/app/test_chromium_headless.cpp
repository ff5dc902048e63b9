// The headless runner end to end on the loopback site's script pages: the Chromium engine
// finds what scripts make, the net engine does not.

#include "bounded_headless_run.h"
#include "app/headless/run_headless.h"
#include "platform/chromium/chromium_runtime.h"
#include "site/hostile_site.h"
#include "site/script_routes.h"
#include "site/test_site.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>
#include <QUrl>

class TestChromiumHeadless : public QObject {
    Q_OBJECT

private:
    TestSite site;
    QTemporaryDir dir;

    QString at(const QString& path) const { return site.url(QStringLiteral("/js/") + path); }

private slots:
    void initTestCase()
    {
        addScriptRoutes(site);
        site.addHostileRoutes();
        QVERIFY(site.listen());
        QVERIFY(dir.isValid());
    }

    void searchesScriptPages_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QStringList>("pictures"); // name, path, type, size
        QTest::addColumn<QStringList>("pages");    // title, path, status
        QTest::newRow("chromium") << "chromium"
            << QStringList{"logo.gif|/img/logo.gif|gif|2.000", "a.gif|/img/a.gif|gif|1.000",
                           "nested.gif|/img/nested.gif|gif|0.759", "button.gif|/img/button.gif|gif|0.500",
                           "note.gif|/img/note.gif|gif|0.260"}
            << QStringList{"[添加]|/js/create.htm|提取完成", "[添加]|/js/json.htm|提取完成",
                           "[添加]|/js/menu.htm|提取完成", "1|/js/menu_one.htm|提取完成",
                           "1|/js/menu_two.htm|提取完成"};
        // Without scripts the same pages hold nothing but the menu's second page's picture,
        // which is never reached.
        QTest::newRow("net") << "net" << QStringList{}
            << QStringList{"[添加]|/js/create.htm|提取完成", "[添加]|/js/json.htm|提取完成",
                           "[添加]|/js/menu.htm|提取完成"};
    }
    void searchesScriptPages()
    {
        QFETCH(QString, engine);
        QFETCH(QStringList, pictures);
        QFETCH(QStringList, pages);
        site.clearLog();
        const QString pagesFile = dir.filePath(engine + QStringLiteral("-pages.tsv"));
        QTimer bound;
        bound.setSingleShot(true);
        connect(&bound, &QTimer::timeout, [] { qFatal("the headless run did not end"); });
        bound.start(120'000);
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        const int status = runHeadless(
            // One slot: pages complete in the order they were dispatched, so the tables are exact.
            // Unmeasured: the tables are compared whole.
            {"quorvane", "--headless", "--no-measure", "--engine", engine, "--slots", "1", "--interval", "50", "--hold", "0",
             "--timeout", "30", "--pages", pagesFile, at("create.htm"), at("json.htm"), at("menu.htm")},
            outStream, errStream);
        bound.stop();
        QCOMPARE(status, 0);

        QString expectedPictures = QStringLiteral("文件名\t网址\t类型\t大小[KB]\t标题\t来源\t宽度\t高度\t下载状态\n");
        for (const QString& picture : pictures) {
            const QStringList f = picture.split(u'|');
            expectedPictures += QStringList{f[0], site.url(f[1]), f[2], f[3], {}, {}, {}, {}, {}}.join(u'\t') + u'\n';
        }
        QCOMPARE(out, expectedPictures);

        QString expectedPages = QStringLiteral("标题\t网址\t下载状态\n");
        for (const QString& page : pages) {
            const QStringList f = page.split(u'|');
            expectedPages += QStringList{f[0], site.url(f[1]), f[2]}.join(u'\t') + u'\n';
        }
        QFile written(pagesFile);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(written.readAll()), expectedPages);

        // Nothing but the test site was asked.
        const QString ownHost = QUrl(site.url(QStringLiteral("/"))).authority();
        for (const QString& request : site.requestLog())
            QVERIFY2(request.startsWith(ownHost + u' '), qPrintable(request));
    }

    // A page whose one picture never ends is read all the same, inside its time-out, and its
    // pictures come with the sizes the browser received.
    void pageThatNeverFinishes()
    {
        const QString pagesFile = dir.filePath(QStringLiteral("never-pages.tsv"));
        QString out;
        QString err;
        const QString page = site.url(QStringLiteral("/hostile/six_and_trickle.htm"));
        const int status = runHeadlessBounded({"--engine", "chromium", "--slots", "1", "--interval", "50", "--hold", "0",
                                               "--timeout", "30", "--max-pages", "1", "--pages", pagesFile, page},
                                              out, err, 120'000);
        QCOMPARE(status, 0);
        QFile written(pagesFile);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(written.readAll()),
                 QStringLiteral("标题\t网址\t下载状态\n[添加]\t%1\t提取完成\n").arg(page));
        QStringList sized;
        for (const QString& line : out.split(u'\n')) {
            const QStringList f = line.split(u'\t');
            if (f.size() == 9 && f[0].startsWith(QLatin1String("six")) && !f[3].isEmpty())
                sized.append(f[0]);
        }
        sized.sort();
        QCOMPARE(sized, QStringList({"six1.gif", "six2.gif", "six3.gif", "six4.gif", "six5.gif", "six6.gif"}));
    }
};

int main(int argc, char** argv)
{
    prepareChromiumRuntime();
    QApplication app(argc, argv);
    TestChromiumHeadless test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_chromium_headless.moc"
