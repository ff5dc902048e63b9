#include "extract/url_cache.h"

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
        const QString first = *cache.store("http://h/a.css", "old");
        const QString second = *cache.store("http://h/a.css", "newer");
        QVERIFY(!QFileInfo::exists(first));
        QCOMPARE(cache.localFile("http://h/a.css"), second);
        QCOMPARE(cache.byteSize("http://h/a.css"), qint64(5));
    }

    void folderIsRemovedWithTheCache()
    {
        QString local;
        {
            UrlCache cache;
            local = *cache.store("http://h/a.gif", "GIF89a");
            QVERIFY(QFileInfo::exists(local));
        }
        QVERIFY(!QFileInfo::exists(local));
        QVERIFY(!QFileInfo::exists(QFileInfo(local).absolutePath()));
    }
};

QTEST_GUILESS_MAIN(TestUrlCache)
#include "test_url_cache.moc"
