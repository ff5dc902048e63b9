// The Chromium engine's rows carry their pictures' sizes and dimensions too, from what the
// browser measured or, for the rest, from the picture probe.

#include "modern_pages_run.h"
#include "platform/chromium/chromium_runtime.h"

#include <QApplication>
#include <QTest>

class TestChromiumMeasuring : public QObject {
    Q_OBJECT

private slots:
    void everyRowIsMeasured()
    {
        TestSite site;
        QVERIFY(site.listen());
        const ModernRun run = runOnModernPages(site, QStringLiteral("chromium"));
        QCOMPARE(run.status, 0);
        QVERIFY(!run.rows.isEmpty());
        const QString fault = measuringFault(run, site);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }
};

int main(int argc, char** argv)
{
    prepareChromiumRuntime();
    QApplication app(argc, argv);
    TestChromiumMeasuring test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_chromium_measuring.moc"
