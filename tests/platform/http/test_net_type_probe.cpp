// The net engine's type probe against the loopback site: what servers say an address holds.

#include "platform/net/net_engine.h"
#include "platform/type_probe.h"
#include "platform/url_cache.h"
#include "site/test_site.h"

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QTest>

namespace {

TestRoute typed(const QByteArray& contentType, int status = 200)
{
    TestRoute route;
    route.status = status;
    route.contentType = contentType;
    route.body = QByteArray(300, 'p');
    return route;
}

// The answer for the address, or "<none>" when none came in time.
QString answerFor(TypeProbe& probe, const QString& address)
{
    QSignalSpy answered(&probe, &TypeProbe::answered);
    probe.ask(address);
    const QDeadlineTimer deadline(10'000);
    while (!deadline.hasExpired()) {
        for (const QList<QVariant>& answer : std::as_const(answered)) {
            if (answer.at(0).toString() == address)
                return answer.at(1).toString();
        }
        answered.wait(100);
    }
    return QStringLiteral("<none>");
}

} // namespace

class TestNetTypeProbe : public QObject {
    Q_OBJECT

private:
    UrlCache cache;
    NetEngine engine{&cache};
    TestSite site;

private slots:
    void initTestCase()
    {
        QVERIFY(site.listen());
        site.setRoute(QStringLiteral("/t/png"), typed("image/png"));
        site.setRoute(QStringLiteral("/t/page"), typed("text/html; charset=utf-8"));
        site.setRoute(QStringLiteral("/t/gone"), typed("image/png", 404));
        TestRoute moved = typed("text/html", 302);
        moved.headers.append(qMakePair(QByteArray("Location"), QByteArray("/t/png")));
        site.setRoute(QStringLiteral("/t/moved"), moved);
        TestRoute noHead = typed("image/webp");
        noHead.refuseHead = true;
        site.setRoute(QStringLiteral("/t/nohead"), noHead);
        site.setRoute(QStringLiteral("/t/untyped"), typed(QByteArray()));
    }

    void answers_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("answer");
        QTest::newRow("picture") << "/t/png" << "image/png";
        QTest::newRow("page") << "/t/page" << "text/html; charset=utf-8";
        QTest::newRow("not found") << "/t/gone" << "";
        QTest::newRow("redirect followed") << "/t/moved" << "image/png";
        QTest::newRow("HEAD refused, GET cut after the headers") << "/t/nohead" << "image/webp";
        QTest::newRow("no Content-Type") << "/t/untyped" << "";
    }
    void answers()
    {
        QFETCH(QString, path);
        QFETCH(QString, answer);
        TypeProbe& probe = *engine.typeProbe();
        const QString address = site.url(path);
        QCOMPARE(answerFor(probe, address), answer);
        QCOMPARE(probe.knownType(address), std::optional<QString>(answer));
        QVERIFY(!probe.isBusy());
    }

    void eachAddressAskedOnce()
    {
        TypeProbe& probe = *engine.typeProbe();
        site.setRoute(QStringLiteral("/t/once"), typed("image/gif"));
        const QString address = site.url(QStringLiteral("/t/once"));
        QSignalSpy answered(&probe, &TypeProbe::answered);
        probe.ask(address);
        probe.ask(address);
        QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 1, 10'000);
        QCOMPARE(answerFor(probe, address), QStringLiteral("image/gif"));
        QCOMPARE(site.hits(QStringLiteral("/t/once")), 1);
    }

    void typeOfLoadedPictureIsKnown()
    {
        const QString address = site.url(QStringLiteral("/t/loaded"));
        QVERIFY(cache.store(address, "GIF89a", "image/gif"));
        QCOMPARE(engine.typeProbe()->knownType(address), std::optional<QString>(QStringLiteral("image/gif")));
        QCOMPARE(answerFor(*engine.typeProbe(), address), QStringLiteral("image/gif"));
        QCOMPARE(site.hits(QStringLiteral("/t/loaded")), 0);
    }

    void manyAtOnceAllAnswered()
    {
        TypeProbe& probe = *engine.typeProbe();
        QSignalSpy answered(&probe, &TypeProbe::answered);
        for (int i = 0; i < 20; ++i) {
            site.setRoute(QStringLiteral("/t/many%1").arg(i), typed("image/png"));
            probe.ask(site.url(QStringLiteral("/t/many%1").arg(i)));
        }
        QVERIFY(probe.isBusy());
        QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 20, 20'000);
        QVERIFY(!probe.isBusy());
    }
};

QTEST_GUILESS_MAIN(TestNetTypeProbe)
#include "test_net_type_probe.moc"
