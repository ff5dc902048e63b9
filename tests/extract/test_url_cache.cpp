#include "extract/url_cache.h"

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
    // for a's file, "sb30" keeps only a size of 30 under b.
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
};

QTEST_GUILESS_MAIN(TestUrlCache)
#include "test_url_cache.moc"
