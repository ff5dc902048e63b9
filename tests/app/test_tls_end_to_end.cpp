#include "app/headless/run_headless.h"
#include "bounded_headless_run.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>

namespace {

constexpr int kStartBoundMs = 10'000;

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

struct Run {
    QString err;
    QString pages;
    QString pictures;
};

} // namespace

// The search over TLS and HTTP/2, against nginx with a certificate made for the test.
class TestTlsEndToEnd : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QProcess server;
    quint16 port = 0;

    QString address() const { return QStringLiteral("https://127.0.0.1:%1/index.html").arg(port); }

    Run search(const QStringList& options)
    {
        QTimer bound;
        bound.setSingleShot(true);
        QObject::connect(&bound, &QTimer::timeout, [] { qFatal("the headless run did not end"); });
        bound.start(60'000);
        Run run;
        QTextStream out(&run.pictures);
        QTextStream err(&run.err);
        const QString pages = dir.filePath(QStringLiteral("pages.tsv"));
        runHeadless(QStringList{QStringLiteral("quorvane"), QStringLiteral("--headless"), QStringLiteral("--hold"), QStringLiteral("0"), QStringLiteral("--interval"),
                                QStringLiteral("0"), QStringLiteral("--pages"), pages}
                        + options + QStringList{address()},
                    out, err);
        QFile file(pages);
        if (file.open(QIODevice::ReadOnly))
            run.pages = QString::fromUtf8(file.readAll());
        return run;
    }

    QStringList accessLog() const
    {
        QFile file(dir.filePath(QStringLiteral("access.log")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                              : QStringList();
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("nginx"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")}).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty())
            QSKIP("nginx or openssl is missing (scripts/setup.sh installs them)");
        QVERIFY(dir.isValid());
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"),
                      {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                       QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                       QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
                       QStringLiteral("-keyout"), dir.filePath(QStringLiteral("key.pem")), QStringLiteral("-out"),
                       dir.filePath(QStringLiteral("cert.pem"))});
        QVERIFY(openssl.waitForFinished(30'000));
        QCOMPARE(openssl.exitCode(), 0);

        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("www")));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("www/index.html")),
                          "<html><body><img src=\"a.png\"><img src=\"b.png\"><a href=\"next.html\">next</a></body></html>"));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("www/next.html")), "<html><body><img src=\"c.png\"></body></html>"));
        for (const char* name : {"www/a.png", "www/b.png", "www/c.png"})
            QVERIFY(writeFile(dir.filePath(QString::fromLatin1(name)), QByteArray("\x89PNG\r\n\x1a\n", 8)));

        port = freePort();
        QVERIFY(port != 0);
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const QString script = QFINDTESTDATA("../site/tls_server.sh");
        QVERIFY(!script.isEmpty());
        server.start(QStringLiteral("sh"), {script, dir.path(), QString::number(port)});
        QVERIFY(server.waitForStarted(kStartBoundMs));
        QTcpSocket probe;
        for (int waited = 0; waited < kStartBoundMs; waited += 100) {
            probe.connectToHost(QHostAddress::LocalHost, port);
            if (probe.waitForConnected(100))
                break;
            probe.abort();
            QTest::qWait(100);
        }
        QCOMPARE(probe.state(), QAbstractSocket::ConnectedState);
    }

    void cleanupTestCase()
    {
        server.terminate();
        if (!server.waitForFinished(5'000))
            server.kill();
    }

    void refusedWithoutTheCertificate_data()
    {
        QTest::addColumn<QString>("engine");
        for (const QString& engine : searchEngines())
            QTest::newRow(qPrintable(engine)) << engine;
    }

    void refusedWithoutTheCertificate()
    {
        QFETCH(QString, engine);
        const Run run = search({QStringLiteral("--engine"), engine});
        QVERIFY2(run.pages.contains(QStringLiteral("下载出错")), qPrintable(run.pages));
        QCOMPARE(run.err.count(QStringLiteral("certificate not trusted")), 1);
        QVERIFY(!run.pictures.contains(QStringLiteral("a.png")));
    }

    void trustedWithCaFileOverOneHttp2Connection()
    {
        const qsizetype before = accessLog().size();
        const Run run = search({QStringLiteral("--ca-file"), dir.filePath(QStringLiteral("cert.pem")), QStringLiteral("--user-agent"),
                                QStringLiteral("Probe/1"), QStringLiteral("--header"), QStringLiteral("X-Probe: yes")});
        QVERIFY2(!run.pages.contains(QStringLiteral("下载出错")), qPrintable(run.pages + run.err));
        QCOMPARE(run.pages.count(QStringLiteral("提取完成")), 2);
        QVERIFY(run.pictures.contains(QStringLiteral("c.png")));
        // "<connection> <protocol> <path> <agent> <X-Probe>": both pages and three pictures,
        // every one over HTTP/2 on the one connection, with what the command line asked to send.
        const QStringList requests = accessLog().mid(before);
        QVERIFY2(requests.size() >= 5, qPrintable(requests.join(u'\n')));
        const QString connection = requests.constFirst().section(u' ', 0, 0);
        for (const QString& request : requests)
            QCOMPARE(request.section(u' ', 0, 1) + request.section(u' ', 3), connection + QStringLiteral(" HTTP/2.0\"Probe/1\" \"yes\""));
    }

    void uncheckedWithInsecure_data()
    {
        refusedWithoutTheCertificate_data();
    }

    void uncheckedWithInsecure()
    {
        QFETCH(QString, engine);
        const Run run = search({QStringLiteral("--engine"), engine, QStringLiteral("--insecure")});
        QCOMPARE(run.pages.count(QStringLiteral("提取完成")), 2);
        QCOMPARE(run.err.count(QStringLiteral("--insecure")), 1);
    }
};

QUORVANE_ENGINES_TEST_MAIN(TestTlsEndToEnd)
#include "test_tls_end_to_end.moc"
