#include "base/hash_filter.h"

#include <QRandomGenerator>
#include <QTest>

class TestHashFilter : public QObject {
    Q_OBJECT

private slots:
    // Every hash added is a "maybe"; of as many never added, few are, at the load the
    // picture table gives it at ten million rows (one hash for 13 bits).
    void holdsWhatWasAddedAndRulesOutMostElse()
    {
        HashFilter filter(17);
        QVERIFY(!filter.mayHold(42));
        QRandomGenerator random(7);
        std::vector<quint64> added(10'000);
        for (quint64& hash : added) {
            hash = random.generate64();
            filter.add(hash);
        }
        for (const quint64 hash : added)
            QVERIFY(filter.mayHold(hash));
        int maybes = 0;
        for (int i = 0; i < 10'000; ++i)
            maybes += filter.mayHold(random.generate64()) ? 1 : 0;
        QVERIFY2(maybes < 100, qPrintable(QString::number(maybes)));
    }
};

QTEST_GUILESS_MAIN(TestHashFilter)
#include "test_hash_filter.moc"
