#include "platform/url_cache.h"
#include "site/picture_bytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

class TestUrlCache : public QObject {
    Q_OBJECT
private slots:
    void storedBytesAreFoundByTheirAddress()
    {
        UrlCache cache;
        QVERIFY(cache.isValid());
        const QByteArray bytes("body{background:url(a.gif)}\0tail", 33);
        QVERIFY(cache.store("http://h/s.css", bytes));

        QString local;
        QVERIFY(cache.getCacheFileName("http://h/s.css", local));
        QFile file(local);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
        QCOMPARE(cache.byteSize("http://h/s.css"), qint64(bytes.size()));
        QCOMPARE(cache.bytes("http://h/s.css"), bytes);
    }

    void missingAddressLeavesTheNameAsItWas()
    {
        UrlCache cache;
        QVERIFY(cache.store("http://h/a.gif", "GIF89a"));
        QString local = "unchanged";
        QVERIFY(!cache.getCacheFileName("http://h/b.gif", local));
        QCOMPARE(local, QString("unchanged"));
        // Addresses are looked up as given: another letter case is another resource.
        QVERIFY(!cache.getCacheFileName("http://h/A.gif", local));
    }

    void storingAgainReplacesTheEntryAndItsFile()
    {
        UrlCache cache;
        cache.store("http://h/a.css", "old");
        const QString first = *cache.localFile("http://h/a.css");
        cache.store("http://h/a.css", "newer");
        QVERIFY(!QFileInfo::exists(first));
        QCOMPARE(cache.bytes("http://h/a.css"), QByteArray("newer"));
        QCOMPARE(cache.byteSize("http://h/a.css"), qint64(5));
    }

    // Nothing touches the disk until a caller wants a path; then the file holds the bytes
    // and memory no longer does.
    void fileWrittenOnlyWhenAsked()
    {
        UrlCache cache;
        cache.store("http://h/a.gif", "GIF89a");
        const QString local = *cache.localFile("http://h/a.gif");
        QCOMPARE(QDir(QFileInfo(local).absolutePath()).entryList(QDir::Files).size(), 1);
        cache.store("http://h/b.gif", "GIF89a-b");
        QCOMPARE(QDir(QFileInfo(local).absolutePath()).entryList(QDir::Files).size(), 1);
        QCOMPARE(cache.bytesInMemory(), qint64(8));
        QCOMPARE(cache.bytes("http://h/a.gif"), QByteArray("GIF89a"));
    }

    void folderIsRemovedWithTheCache()
    {
        QString local;
        {
            UrlCache cache;
            cache.store("http://h/a.gif", "GIF89a");
            local = *cache.localFile("http://h/a.gif");
            QVERIFY(QFileInfo::exists(local));
        }
        QVERIFY(!QFileInfo::exists(local));
        QVERIFY(!QFileInfo::exists(QFileInfo(local).absolutePath()));
    }

    // Steps on a cache of 10 bytes: "+a4" stores 4 bytes under a, "ra" reads a, "fa" asks
    // for a's file, "sb30" keeps only a size of 30 under b, "hb4" that size with 4 first bytes.
    void budget_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("held");  // whose bytes can still be had
        QTest::addColumn<QString>("sized"); // whose size is known

        QTest::newRow("within the budget") << "+a4 +b4" << "a b" << "a b";
        QTest::newRow("oldest leaves first") << "+a4 +b4 +c4" << "b c" << "a b c";
        QTest::newRow("a read keeps it") << "+a4 +b4 ra +c4" << "a c" << "a b c";
        QTest::newRow("a file keeps it out of the budget") << "+a4 fa +b4 +c4" << "a b c" << "a b c";
        QTest::newRow("larger than the budget keeps its size") << "+a4 +b11" << "a" << "a b";
        QTest::newRow("size only") << "+a4 sb30" << "a" << "a b";
        QTest::newRow("replaced by a size") << "+a4 fa sa30" << "" << "a";
        QTest::newRow("first bytes are not the bytes") << "hb4" << "" << "b";
        QTest::newRow("first bytes count in the budget") << "+a4 +b4 hc4" << "b" << "a b c";
    }
    void budget()
    {
        QFETCH(QString, steps);
        QFETCH(QString, held);
        QFETCH(QString, sized);
        UrlCache cache(10);
        auto address = [](QChar name) { return QStringLiteral("http://h/") + name; };
        for (const QString& step : steps.split(QLatin1Char(' '))) {
            const QString name = address(step.at(1));
            const int bytes = step.mid(2).toInt();
            switch (step.at(0).toLatin1()) {
            case '+': cache.store(name, QByteArray(bytes, 'x')); break;
            case 's': cache.storeSize(name, bytes); break;
            case 'h': cache.storeSize(name, 30, {}, QByteArray(bytes, 'x')); break;
            case 'r': QVERIFY(cache.bytes(name)); break;
            case 'f': QVERIFY(cache.localFile(name)); break;
            }
        }
        QStringList isHeld, isSized;
        for (const QChar name : QStringLiteral("abc")) {
            if (cache.contains(address(name)))
                isHeld.append(name);
            if (cache.byteSize(address(name)))
                isSized.append(name);
        }
        QCOMPARE(isHeld.join(QLatin1Char(' ')), held);
        QCOMPARE(isSized.join(QLatin1Char(' ')), sized);
        QVERIFY(cache.bytesInMemory() <= 10);
    }

    // Types are kept once for all addresses, and addresses outside Latin-1 are told apart:
    // each address still gives its own size and its latest type.
    void typesAndAddressesKeptOnce()
    {
        UrlCache cache(10);
        QCOMPARE(cache.contentType("http://h/a.png"), std::nullopt);
        cache.storeSize("http://h/\u56fe.png", 5, "image/png");
        cache.storeSize("http://h/\u56ff.png", 6, "text/html; charset=utf-8");
        cache.store("http://h/\u00e9.png", "12345", "image/png");
        cache.store("http://h/\u00e9.png", "1234");
        QCOMPARE(cache.contentType("http://h/\u56fe.png"), QString("image/png"));
        QCOMPARE(cache.contentType("http://h/\u56ff.png"), QString("text/html; charset=utf-8"));
        QCOMPARE(cache.contentType("http://h/\u00e9.png"), QString());
        QCOMPARE(cache.byteSize("http://h/\u56ff.png"), qint64(6));
        QCOMPARE(cache.byteSize("http://h/\u00e9.png"), qint64(4));
        QCOMPARE(cache.byteSize("http://h/e.png"), std::nullopt);
        QCOMPARE(cache.byteSize("http://h/\u56fe.pn"), std::nullopt);
    }

    // Past its limit of addresses the cache forgets the older half of the sizes alone; what
    // it holds in memory or in a file stays, and every address kept is still found.
    void oldSizesForgottenPastTheLimit()
    {
        UrlCache cache(100, 8);
        cache.store("http://h/held", QByteArray(40, 'x'));
        for (int i = 0; i < 9; ++i)
            cache.storeSize(QStringLiteral("http://h/%1").arg(i), i);
        QVERIFY(cache.contains("http://h/held"));
        QCOMPARE(cache.byteSize("http://h/0"), std::nullopt);
        for (int i = 4; i < 9; ++i)
            QCOMPARE(cache.byteSize(QStringLiteral("http://h/%1").arg(i)), qint64(i));
        // The bytes in memory still leave oldest first, within the budget.
        cache.store("http://h/big", QByteArray(70, 'y'));
        QVERIFY(!cache.contains("http://h/held"));
        QCOMPARE(cache.bytes("http://h/big"), QByteArray(70, 'y'));
        QCOMPARE(cache.bytesInMemory(), 70);
    }

    // A resource whose bytes are not held is still known: true, and no file name.
    void sizeOnlyEntryGivesAnEmptyName()
    {
        UrlCache cache(10);
        QVERIFY(!cache.store("http://h/big.gif", QByteArray(11, 'x')));
        QString local = "unchanged";
        QVERIFY(cache.getCacheFileName("http://h/big.gif", local));
        QCOMPARE(local, QString());
        QCOMPARE(cache.byteSize("http://h/big.gif"), qint64(11));
    }

    // How the picture of 30 x 20 is held, and the dimensions the cache gives for it.
    void dimensions_data()
    {
        QTest::addColumn<QString>("held");
        QTest::addColumn<QSize>("expected"); // invalid: none

        QTest::newRow("bytes in memory") << "bytes" << QSize(30, 20);
        QTest::newRow("bytes in a file") << "file" << QSize(30, 20);
        QTest::newRow("first bytes of a larger picture") << "head" << QSize(30, 20);
        QTest::newRow("size only") << "size" << QSize();
        QTest::newRow("bytes of a page") << "page" << QSize();
        QTest::newRow("measured by the engine") << "engine" << QSize(7, 9);
        QTest::newRow("engine's 0 x 0") << "engine 0" << QSize();
        QTest::newRow("stored again as a page") << "bytes, then page" << QSize();
    }
    void dimensions()
    {
        QFETCH(QString, held);
        QFETCH(QSize, expected);
        const QString address = "http://h/p.png";
        const QByteArray picture = pngPicture(30, 20, 200);
        UrlCache cache(1000);
        if (held.startsWith("bytes") || held == "file")
            cache.store(address, picture);
        if (held == "file")
            QVERIFY(cache.localFile(address));
        if (held.startsWith("head"))
            cache.storeSize(address, 5000, "image/png", picture.left(100));
        if (held == "size")
            cache.storeSize(address, 200, "image/png");
        if (held.endsWith("page")) {
            QCOMPARE(cache.dimensions(address), held == "page" ? std::nullopt : std::optional(QSize(30, 20)));
            cache.store(address, "<html><body>not here</body></html>", "text/html");
        }
        if (held == "engine")
            cache.storeDimensions(address, 7, 9);
        if (held == "engine 0")
            cache.storeDimensions(address, 0, 0);
        const std::optional<QSize> expectedDimensions = expected.isValid() ? std::optional(expected) : std::nullopt;
        QCOMPARE(cache.dimensions(address), expectedDimensions);
        QCOMPARE(cache.dimensions(address), expectedDimensions); // remembered
    }

    // Once read, the first bytes have told what they can and leave the budget.
    void firstBytesLeaveOnceRead()
    {
        UrlCache cache(1000);
        cache.storeSize("http://h/p.png", 5000, "image/png", pngPicture(30, 20, 200).left(100));
        QCOMPARE(cache.bytesInMemory(), qint64(100));
        QVERIFY(cache.dimensions("http://h/p.png"));
        QCOMPARE(cache.bytesInMemory(), qint64(0));
        QCOMPARE(cache.byteSize("http://h/p.png"), qint64(5000));
        QCOMPARE(cache.dimensions("http://h/p.png"), QSize(30, 20));
    }
};

QTEST_GUILESS_MAIN(TestUrlCache)
#include "test_url_cache.moc"
